#include "Editor/CursorStylePicker.h"

#include "Editor/CursorAssets.h"
#include "Editor/CursorThumbnail.h"
#include "Editor/EditorPopoverFlags.h"
#include "Editor/EditorViewModel.h"
#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/Popover.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QGridLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

// One style of the grid: its thumbnail on a rounded field, tinted and
// outlined in the accent colour while it is the current style.
class StyleCell : public QAbstractButton {
public:
    StyleCell(const QString& style, EditorViewModel& vm, QWidget* parent)
        : QAbstractButton(parent)
        , m_style(style)
        , m_vm(vm)
    {
        setFixedSize(CursorStylePicker::cellSide, CursorStylePicker::cellSide);
        setCheckable(true);
        setFocusPolicy(Qt::StrongFocus);
        const QString name = CursorStylePicker::cursorLabel(style);
        setToolTip(name);
        setAccessibleName(name);
        sync();
        connect(&vm, &EditorViewModel::settingsChanged, this, &StyleCell::sync);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool current = m_vm.state().cursorStyle == m_style;
        const QRectF r = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
        QPainterPath field;
        field.addRoundedRect(r, 8, 8);
        p.fillPath(field, current ? Theme::withAlpha(Theme::accent(this), 0.22) : QColor(128, 128, 128, 20));
        if (current || hasFocus()) {
            p.setPen(QPen(Theme::withAlpha(Theme::accent(this), current ? 1.0 : 0.5), 1.5));
            p.drawPath(field);
        }
        CursorThumbnail::paint(p, m_style, QRectF(rect()), CursorStylePicker::cellPicture,
                               m_vm.state().cursorHighlightColor.toQColor());
    }

private:
    void sync()
    {
        setChecked(m_vm.state().cursorStyle == m_style);
        update();
    }

    QString m_style;
    EditorViewModel& m_vm;
};

} // namespace

CursorStylePicker::CursorStylePicker(EditorViewModel& vm, EditorPopoverFlags& flags, QWidget* parent)
    : ToolbarChip(QStringLiteral("cursorarrow"), parent)
    , m_vm(vm)
    , m_flags(flags)
{
    setChevron(true);
    setPlain(true);
    m_grid = new Popover(Popover::Mode::click, this);
    // A press on the chip while the grid is open only closes it.
    m_grid->setAttribute(Qt::WA_NoMouseReplay);
    m_grid->setContent(buildGrid());
    flags.bind(EditorPopoverFlags::Flag::cursorStyle, m_grid, this);
    connect(this, &QAbstractButton::clicked, this, [this] { m_flags.toggle(EditorPopoverFlags::Flag::cursorStyle); });
    // The thumbnail follows the style and the ring colour; a style without a
    // picture shows the plain symbol, which is smaller.
    connect(&vm, &EditorViewModel::settingsChanged, this, [this] {
        updateGeometry();
        update();
    });
    retranslate();
}

const QStringList& CursorStylePicker::styles()
{
    static const QStringList list = [] {
        QStringList l;
        for (const char* family : {"solid", "soft", "frosted", "windows"})
            for (const char* shape : {"arrow", "pointer", "arrowClick", "ptrClick"})
                l << QString::fromLatin1(family) + QLatin1Char('_') + QString::fromLatin1(shape);
        return l;
    }();
    return list;
}

QString CursorStylePicker::cursorLabel(const QString& style)
{
    QStringList parts = style.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part[0] = part[0].toUpper();
    return parts.join(QStringLiteral(" · "));
}

QList<QAbstractButton*> CursorStylePicker::cells() const { return m_grid->findChildren<QAbstractButton*>(); }

QWidget* CursorStylePicker::buildGrid()
{
    // 232 wide with 12 of padding, of which the popover gives 10.
    auto* content = new QWidget;
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(2, 2, 2, 2);
    grid->setSpacing(cellSpacing);
    const QStringList& all = styles();
    for (int i = 0; i < all.size(); ++i) {
        auto* cell = new StyleCell(all[i], m_vm, content);
        grid->addWidget(cell, i / 4, i % 4);
        connect(cell, &QAbstractButton::clicked, this, [this, style = all[i]] {
            m_vm.setCursorStyle(style);
            m_flags.setOpen(EditorPopoverFlags::Flag::cursorStyle, false);
        });
    }
    content->setFixedWidth(232 - 2 * Popover::contentPadding);
    return content;
}

void CursorStylePicker::retranslate()
{
    const QString help = Localizer::t(QStringLiteral("Cursor-Stil"));
    setToolTip(help);
    setAccessibleName(help);
}

QSizeF CursorStylePicker::leadingSize() const
{
    if (CursorAssets::image(m_vm.state().cursorStyle).isNull())
        return {iconPx, iconPx};
    return {qreal(chipFrame), qreal(chipFrame)};
}

void CursorStylePicker::paintLeading(QPainter& p, const QRectF& box, const QColor& ink)
{
    const QString& style = m_vm.state().cursorStyle;
    if (CursorAssets::image(style).isNull())
        ToolbarChip::paintLeading(p, box, ink);
    else
        CursorThumbnail::paint(p, style, box, chipPicture, m_vm.state().cursorHighlightColor.toQColor());
}

void CursorStylePicker::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    ToolbarChip::changeEvent(e);
}
