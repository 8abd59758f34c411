#include "App/MenuBarPlaceholderView.h"

#include "App/AppEnvironment.h"

#include <QLabel>
#include <QVBoxLayout>

MenuBarPlaceholderView::MenuBarPlaceholderView(const AppEnvironment&, QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    auto* name = new QLabel(QStringLiteral("Zentu.it"), this);
    QFont f = name->font();
    f.setPixelSize(17);
    f.setBold(true);
    name->setFont(f);
    layout->addWidget(name);
    setFixedWidth(340);
}
