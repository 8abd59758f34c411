#include "Editor/FontFamilyPicker.h"

#include "Editor/EditorPopoverFlags.h"
#include "Editor/EditorViewModel.h"
#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/Popover.h"
#include "Ui/Theme.h"

#include <QFontDatabase>
#include <QHash>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

constexpr int familyRole = Qt::UserRole;  // QString family, invalid for "System"
constexpr int dividerRole = Qt::UserRole + 1;

// A row: the name in its own face, tinted with a checkmark when current.
// Rows have one fixed height, so only the rows in view ever load their font.
class FamilyRowDelegate : public QStyledItemDelegate {
public:
    FamilyRowDelegate(EditorViewModel& vm, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_vm(vm)
    {
    }

    static int rowHeight() { return QFontMetrics(Theme::font(FontFamilyPicker::rowFontPx)).height() + 8; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // As wide as the list shows, so no row scrolls sideways.
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const int width = view ? view->viewport()->width() : FontFamilyPicker::listWidth;
        return QSize(width, index.data(dividerRole).toBool() ? 5 : rowHeight());
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QWidget* view = option.widget;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(option.rect);
        if (index.data(dividerRole).toBool()) {
            p->fillRect(QRectF(r.left() + 8, r.center().y(), r.width() - 16, 1), Theme::primary(0.15, view));
            p->restore();
            return;
        }
        const QVariant family = index.data(familyRole);
        const bool current = family.isValid() ? m_vm.state().selectedFontName == family.toString()
                                              : !m_vm.state().selectedFontName.has_value();
        const bool hovered = option.state & QStyle::State_MouseOver;
        const bool focused = option.state & QStyle::State_HasFocus;
        if (current || hovered || focused) {
            QPainterPath clip;
            clip.addRoundedRect(r, 5, 5);
            p->fillPath(clip, Theme::withAlpha(Theme::accent(view), current ? 0.12 : 0.06));
        }
        const QFont font = family.isValid() ? FontFamilyPicker::rowFont(family.toString()) : Theme::font(Theme::bodySize);
        p->setFont(font);
        p->setPen(Theme::primary(view));
        const QRectF textRect = r.adjusted(8, 0, current ? -8 - 16 : -8, 0);
        const QString text = QFontMetricsF(font).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                            textRect.width());
        p->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
        if (current)
            IconRegistry::paint(*p, QStringLiteral("checkmark"), QRectF(r.right() - 8 - 12, r.top(), 12, r.height()),
                                Theme::accent(view), Theme::captionSize + 2);
        p->restore();
    }

private:
    EditorViewModel& m_vm;
};

} // namespace

FontFamilyPicker::FontFamilyPicker(EditorViewModel& vm, EditorPopoverFlags& flags, QWidget* parent)
    : ToolbarChip(QStringLiteral("t.square"), parent)
    , m_vm(vm)
    , m_flags(flags)
{
    setChevron(true);
    setSpacing(3);
    m_popover = new Popover(Popover::Mode::click, this);
    m_popover->setAnchorPressKeepsOpen(true); // the chip only opens it
    flags.bind(EditorPopoverFlags::Flag::fontFamily, m_popover, this);
    connect(this, &QAbstractButton::clicked, this, &FontFamilyPicker::open);
    connect(&vm, &EditorViewModel::settingsChanged, this, &FontFamilyPicker::refresh);
    refresh();
}

const QStringList& FontFamilyPicker::fontFamilies()
{
    static const QStringList families = [] {
        QStringList list = QFontDatabase::families();
        std::sort(list.begin(), list.end());
        return list;
    }();
    return families;
}

QFont FontFamilyPicker::rowFont(const QString& family)
{
    // Asked for every row painted: the answer per family is kept.
    static QHash<QString, bool> ownName;
    auto known = ownName.constFind(family);
    if (known == ownName.constEnd()) {
        QFont alone(family);
        alone.setStyleStrategy(QFont::NoFontMerging);
        const QFontMetrics metrics(alone);
        const bool readable = !QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol)
            && std::all_of(family.begin(), family.end(), [&](QChar c) { return !c.isLetter() || metrics.inFont(c); });
        known = ownName.insert(family, readable);
    }
    QFont font = Theme::font(rowFontPx);
    if (*known)
        font.setFamilies({family});
    return font;
}

std::optional<QString> FontFamilyPicker::rowValue(QListWidget* list, int row)
{
    const QVariant family = list && list->item(row) ? list->item(row)->data(familyRole) : QVariant();
    return family.isValid() ? std::optional(family.toString()) : std::nullopt;
}

void FontFamilyPicker::refresh()
{
    // The family's name is not translated: it names a font.
    const QString tip = QStringLiteral("Schriftart: ") + m_vm.state().selectedFontName.value_or(QStringLiteral("System"));
    setToolTip(tip);
    setAccessibleName(tip);
    if (m_list)
        m_list->viewport()->update();
}

void FontFamilyPicker::buildList()
{
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setFixedSize(listWidth, listHeight);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setUniformItemSizes(false);
    m_list->setMouseTracking(true);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The rows lie on the popover's own fill.
    QPalette clear = m_list->palette();
    clear.setColor(QPalette::Base, Qt::transparent);
    m_list->setPalette(clear);
    m_list->setItemDelegate(new FamilyRowDelegate(m_vm, m_list));
    m_list->setAccessibleName(Localizer::t(QStringLiteral("Schriftart")));
    m_list->addItem(QStringLiteral("System"));
    auto* divider = new QListWidgetItem;
    divider->setData(dividerRole, true);
    divider->setFlags(Qt::NoItemFlags);
    m_list->addItem(divider);
    for (const QString& family : fontFamilies()) {
        auto* item = new QListWidgetItem(family);
        item->setData(familyRole, family);
        m_list->addItem(item);
    }
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { choose(m_list->row(item)); });
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { choose(m_list->row(item)); });
    m_popover->setContent(m_list);
}

void FontFamilyPicker::open()
{
    if (!m_list)
        buildList();
    // The current family in the middle; with "System" the list starts at its top.
    int row = 0;
    if (const auto& name = m_vm.state().selectedFontName) {
        const qsizetype at = fontFamilies().indexOf(*name);
        row = at >= 0 ? int(at) + 2 : 0;
    }
    m_list->setCurrentRow(row);
    m_flags.setOpen(EditorPopoverFlags::Flag::fontFamily, true);
    if (row > 0)
        m_list->scrollToItem(m_list->item(row), QAbstractItemView::PositionAtCenter);
    else
        m_list->scrollToTop();
    m_list->setFocus(Qt::PopupFocusReason);
}

void FontFamilyPicker::choose(int row)
{
    if (!m_list || !m_list->item(row) || !(m_list->item(row)->flags() & Qt::ItemIsEnabled))
        return;
    // The current row is chosen again all the same.
    m_vm.setFontName(rowValue(m_list, row));
    m_flags.setOpen(EditorPopoverFlags::Flag::fontFamily, false);
}
