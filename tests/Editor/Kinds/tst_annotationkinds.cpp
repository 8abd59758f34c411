// The kind table against the two places that still act on kinds by
// themselves: the model's style setters must change exactly the kinds whose
// option groups the toolbar shows, and the toolbar's width estimate per kind
// must stay the sum of those groups.
#include "Editor/EditorToolbarLayout.h"
#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/EditorAnnotations.h"
#include "support/IsolatedEnvironment.h"

#include <QTest>
#include <functional>

namespace {

using K = AnnotationKind;
using Option = AnnotationKindBehaviour::Option;

} // namespace

class tst_AnnotationKinds : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{400, 300, QImage::Format_ARGB32_Premultiplied};

private Q_SLOTS:
    // A control that shows for a kind changes it; one that is hidden would not.
    void optionGroupsReachExactlyTheirKinds()
    {
        const RGBAColor blue{0, 0, 1, 1};
        const struct {
            Option option;
            std::function<void(EditorViewModel&)> set;
        } groups[] = {
            {Option::font, [](auto& vm) { vm.setFontSize(40); }},
            {Option::bubble, [](auto& vm) { vm.setBubbleStyle(SpeechBubbleStyle::thought); }},
            {Option::magnifier, [](auto& vm) { vm.setMagnification(4); }},
            {Option::cursor, [](auto& vm) { vm.setCursorSize(77); }},
            {Option::blur, [](auto& vm) { vm.setBlurStyle(BlurStyle::gaussian); }},
            {Option::dashed, [](auto& vm) { vm.setDashed(true); }},
            {Option::fill, [=](auto& vm) { vm.setFillColor(blue); }},
            {Option::corner, [](auto& vm) { vm.setCornerRadius(9); }},
            {Option::badge, [](auto& vm) { vm.setBadgeSize(60); }},
        };
        QList<AnnotationObject> oneOfEach;
        QSet<QUuid> all;
        for (K k : allCases<K>()) {
            oneOfEach.append(shape(k, {{10, 10}, {60, 60}}));
            all.insert(oneOfEach.last().id);
        }
        for (const auto& g : groups) {
            EditorViewModel vm(image, itemWith(oneOfEach), env);
            vm.setSelectedIDs(all);
            g.set(vm);
            for (qsizetype i = 0; i < oneOfEach.size(); ++i) {
                const K k = oneOfEach[i].kind;
                const bool changed = !(vm.state().annotations[i] == oneOfEach[i]);
                QVERIFY2(changed == AnnotationKinds::of(k).options().testFlag(g.option),
                         qPrintable(rawValue(k) + QString::number(int(g.option))));
            }
        }
    }

    // Compact and full widths of the second row's options per kind, the
    // cursor's with and without its highlight controls.
    void widthEstimatesAddUpTheKindsGroups()
    {
        const struct {
            K kind;
            double compact, full;
        } widths[] = {
            {K::arrow, 40, 126},     {K::line, 40, 126},      {K::rectangle, 162, 404}, {K::ellipse, 104, 258},
            {K::freehand, 0, 0},     {K::text, 108, 108},     {K::blur, 140, 288},      {K::badge, 214, 214},
            {K::speechBubble, 258, 398}, {K::image, 0, 0},    {K::magnifier, 66, 184},  {K::cursor, 150, 300},
        };
        QCOMPARE(std::size(widths), allCases<K>().size());
        ToolbarFocus focus;
        for (const auto& w : widths) {
            focus.kind = w.kind;
            QCOMPARE(EditorToolbarLayout::row2LeadingEstWidth(true, focus), 66 + w.compact + 48);
            QCOMPARE(EditorToolbarLayout::row2LeadingEstWidth(false, focus), 290 + w.full + 48);
        }
        focus.kind = K::cursor;
        focus.cursorHighlightEnabled = true;
        QCOMPARE(EditorToolbarLayout::row2LeadingEstWidth(true, focus), 66 + 300 + 48.0);
        QCOMPARE(EditorToolbarLayout::row2LeadingEstWidth(false, focus), 290 + 560 + 48.0);
    }
};

ZENTU_TEST_MAIN(tst_AnnotationKinds)
#include "tst_annotationkinds.moc"
