// The kind table's option groups against what the toolbar shows them for: the
// model's style setters must change exactly the kinds whose option groups the
// toolbar shows, a new annotation must take the tool settings of exactly
// those groups, and the toolbar's width estimate per kind must stay the sum
// of those groups.
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

const RGBAColor blue{0, 0, 1, 1};

// Each group: a setter of one of its settings, and whether an annotation has that setting.
struct Group {
    Option option;
    std::function<void(EditorViewModel&)> set;
    std::function<bool(const AnnotationObject&)> has;
};
const Group groups[] = {
    {Option::font, [](auto& vm) { vm.setFontSize(40); }, [](auto& a) { return a.fontSize == 40.0; }},
    {Option::bubble, [](auto& vm) { vm.setBubbleStyle(SpeechBubbleStyle::thought); },
     [](auto& a) { return a.bubbleStyle == SpeechBubbleStyle::thought; }},
    {Option::magnifier, [](auto& vm) { vm.setMagnification(4); }, [](auto& a) { return a.magnification == 4.0; }},
    {Option::cursor, [](auto& vm) { vm.setCursorSize(77); }, [](auto& a) { return a.cursorSize == 77.0; }},
    {Option::blur, [](auto& vm) { vm.setBlurStyle(BlurStyle::gaussian); },
     [](auto& a) { return a.blurStyle == BlurStyle::gaussian; }},
    {Option::dashed, [](auto& vm) { vm.setDashed(true); }, [](auto& a) { return a.dashed == true; }},
    {Option::fill, [](auto& vm) { vm.setFillColor(blue); }, [](auto& a) { return a.fillColor == blue; }},
    {Option::corner, [](auto& vm) { vm.setCornerRadius(9); }, [](auto& a) { return a.cornerRadius == 9.0; }},
    {Option::badge, [](auto& vm) { vm.setBadgeSize(60); }, [](auto& a) { return a.badgeSize == 60.0; }},
};

} // namespace

class tst_AnnotationKinds : public QObject {
    Q_OBJECT
    FakeEditorEnvironment env;
    QImage image{400, 300, QImage::Format_ARGB32_Premultiplied};

private Q_SLOTS:
    // A control that shows for a kind changes it; one that is hidden would not.
    void optionGroupsReachExactlyTheirKinds()
    {
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

    // What the toolbar shows for a kind is what a new one of it starts with.
    void aNewAnnotationTakesTheSettingsOfItsGroups()
    {
        EditorViewModel vm(image, std::nullopt, env);
        for (const Group& g : groups)
            g.set(vm); // nothing selected: the tool settings alone
        for (K k : allCases<K>()) {
            const AnnotationObject a = vm.newAnnotation(k, {{10, 10}, {60, 60}});
            for (const Group& g : groups)
                QVERIFY2(g.has(a) == AnnotationKinds::of(k).options().testFlag(g.option),
                         qPrintable(rawValue(k) + QString::number(int(g.option))));
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
