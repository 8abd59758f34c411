#pragma once
// The share button of the export row. Each click asks makeItems for what to
// share (so every share carries the picture as it is now) and opens a menu
// under the button of what the desktop offers for the shared file: its
// default viewer, a new e-mail with it attached, the file manager, and
// copying its path. Without a file (only a picture) the entries are off.
#include "Editor/ShareTarget.h"
#include "Editor/ToolbarIconButton.h"

#include <QPointer>
#include <QVariantList>
#include <functional>

#include <QMenu>

class ShareButton : public ToolbarIconButton {
    Q_OBJECT
public:
    using MakeItems = std::function<QVariantList()>;
    using ShareTo = std::function<void(ShareTarget, const QString& path)>;

    ShareButton(MakeItems makeItems, ShareTo shareTo, QWidget* parent = nullptr);

    // A rebuilt export row hands in its newest closure; the next click uses it.
    void setMakeItems(MakeItems makeItems) { m_makeItems = std::move(makeItems); }

protected:
    void changeEvent(QEvent* e) override;

private:
    void share();
    void retranslate();

    MakeItems m_makeItems;
    ShareTo m_shareTo;
    QPointer<QMenu> m_menu;
};
