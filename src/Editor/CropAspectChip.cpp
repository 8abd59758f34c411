#include "Editor/CropAspectChip.h"

#include "Editor/CropTool.h"
#include "Editor/EditorViewModel.h"
#include "Localization/Localizer.h"
#include "Models/RawEnum.h"
#include "Ui/IconRegistry.h"
#include "Ui/Popover.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// One preset of the menu: its label, and a checkmark on a tinted row when current.
class AspectRow : public QAbstractButton {
public:
    AspectRow(CropAspect aspect, bool current, QWidget* parent)
        : QAbstractButton(parent)
        , m_current(current)
    {
        setText(label(aspect));
        setAccessibleName(text());
        setCheckable(true);
        setChecked(current);
        setFocusPolicy(Qt::StrongFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override
    {
        return {190 - 12, QFontMetrics(Theme::font(Theme::bodySize)).height() + 8};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = rect();
        if (m_current || hasFocus()) {
            QPainterPath clip;
            clip.addRoundedRect(r, 5, 5);
            p.fillPath(clip, Theme::withAlpha(Theme::accent(this), m_current ? 0.12 : 0.06));
        }
        p.setFont(Theme::font(Theme::bodySize));
        p.setPen(Theme::primary(this));
        p.drawText(r.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
        if (m_current)
            IconRegistry::paint(p, QStringLiteral("checkmark"), QRectF(r.right() - 8 - 12, r.top(), 12, r.height()),
                                Theme::accent(this), Theme::captionSize + 2);
    }

private:
    bool m_current;
};

} // namespace

CropAspectChip::CropAspectChip(const EditorViewModel& vm, CropTool& crop, QWidget* parent)
    : ToolbarChip(QStringLiteral("aspectratio"), parent)
    , m_vm(vm)
    , m_crop(crop)
{
    setChevron(true);
    connect(this, &QAbstractButton::clicked, this, &CropAspectChip::openMenu);
    connect(&vm, &EditorViewModel::settingsChanged, this, &CropAspectChip::refresh);
    refresh();
}

void CropAspectChip::refresh()
{
    setText(label(m_vm.state().cropAspect));
    setAccessibleName(text());
    setToolTip(Localizer::t(QStringLiteral("Seitenverhältnis des Zuschnitts")));
    updateGeometry();
    update();
}

bool CropAspectChip::isMenuOpen() const
{
    return m_menu && m_menu->isVisible();
}

QList<QAbstractButton*> CropAspectChip::menuRows() const
{
    return m_menu ? m_menu->findChildren<QAbstractButton*>() : QList<QAbstractButton*>{};
}

void CropAspectChip::openMenu()
{
    if (isMenuOpen())
        return;
    auto* menu = new Popover(Popover::Mode::click, this);
    menu->setAnchorPressKeepsOpen(true); // the chip only opens it
    connect(menu, &Popover::closed, menu, &QWidget::deleteLater);
    auto* list = new QWidget;
    auto* layout = new QVBoxLayout(list);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(1);
    list->setFixedWidth(190);
    for (CropAspect aspect : allCases<CropAspect>()) {
        auto* row = new AspectRow(aspect, aspect == m_vm.state().cropAspect, list);
        layout->addWidget(row);
        // The same preset again re-applies it all the same.
        connect(row, &QAbstractButton::clicked, this, [this, aspect, menu] {
            m_crop.setCropAspect(aspect);
            menu->close();
        });
    }
    menu->setContent(list);
    m_menu = menu;
    menu->showAt(this);
}

void CropAspectChip::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        refresh();
    ToolbarChip::changeEvent(e);
}
