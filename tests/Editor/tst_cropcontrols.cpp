// The crop tool's controls: the aspect chip and its preset menu, and the pair
// that applies or discards the draft.
#include "Editor/CropAspectChip.h"
#include "Editor/CropConfirmControls.h"
#include "Editor/EditorViewModel.h"
#include "Localization/Localizer.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/IsolatedEnvironment.h"

#include <QPushButton>
#include <QToolButton>

class tst_CropControls : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{800, 600, QImage::Format_ARGB32_Premultiplied};

    static void draft(EditorViewModel& vm, QPointF from, QPointF to)
    {
        vm.cropBegin(from, std::nullopt);
        vm.cropUpdate(from, to);
        vm.endCropDrag();
    }

private Q_SLOTS:
    void aspectChipAndMenu()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::crop);
        CropAspectChip chip(vm);
        chip.show();
        QCOMPARE(chip.text(), QStringLiteral("Benutzerdefiniert"));
        QCOMPARE(chip.accessibleName(), chip.text());
        QCOMPARE(chip.toolTip(), QStringLiteral("Seitenverhältnis des Zuschnitts"));

        draft(vm, {100, 100}, {500, 150});
        QTest::mouseClick(&chip, Qt::LeftButton);
        QVERIFY(chip.isMenuOpen());
        QTest::mouseClick(&chip, Qt::LeftButton); // the chip only ever opens it
        QVERIFY(chip.isMenuOpen());
        QStringList labels;
        QList<bool> checked;
        for (QAbstractButton* row : chip.menuRows()) {
            labels << row->text();
            checked << row->isChecked();
        }
        QCOMPARE(labels, (QStringList{QStringLiteral("Benutzerdefiniert"), QStringLiteral("1:1"), QStringLiteral("4:3"),
                                      QStringLiteral("3:2"), QStringLiteral("16:9"), QStringLiteral("3:4"),
                                      QStringLiteral("9:16")}));
        QCOMPARE(checked, (QList<bool>{true, false, false, false, false, false, false}));
        QTest::mouseClick(chip.menuRows()[1], Qt::LeftButton); // "1:1" reshapes the draft and closes
        QCOMPARE(vm.state().cropAspect, CropAspect::r1_1);
        QCOMPARE(*vm.cropDraft(), QRectF(100, 100, 400, 400));
        QTRY_VERIFY(!chip.isMenuOpen());
        QCOMPARE(chip.text(), QStringLiteral("1:1"));

        vm.setCropAspect(CropAspect::free);
        Localizer::shared().setLanguage(QStringLiteral("en"));
        QCOMPARE(chip.text(), QStringLiteral("Custom"));
        vm.setCropAspect(CropAspect::r16_9);
        QCOMPARE(chip.text(), QStringLiteral("16:9"));
        Localizer::shared().setLanguage(QStringLiteral("de"));
    }

    void confirmPair()
    {
        EditorViewModel vm(image, std::nullopt, env);
        vm.setTool(EditorTool::crop);
        vm.setCropAspect(CropAspect::r4_3);
        CropConfirmControls pair(vm);
        QCOMPARE(pair.applyButton()->text(), QStringLiteral("Zuschneiden"));
        QCOMPARE(pair.cancelButton()->accessibleName(), QStringLiteral("Abbrechen"));
        QCOMPARE(pair.cancelButton()->toolTip(), QStringLiteral("Abbrechen (Esc)"));

        draft(vm, {100, 100}, {300, 200});
        pair.cancelButton()->click(); // the draft goes; aspect and tool stay; nothing recorded
        QVERIFY(!vm.cropDraft());
        QCOMPARE(vm.state().cropAspect, CropAspect::r4_3);
        QCOMPARE(vm.state().selectedTool, EditorTool::crop);
        pair.applyButton()->click(); // no draft: nothing
        QVERIFY(!vm.canUndo());

        draft(vm, {100, 100}, {300, 200});
        pair.applyButton()->click();
        QCOMPARE(vm.original().size(), QSize(200, 150));
        QCOMPARE(vm.undoCount(), 1);
    }
};

ZENTU_TEST_MAIN(tst_CropControls)
#include "tst_cropcontrols.moc"
