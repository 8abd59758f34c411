#include "Platform/Qt/MessageBoxAlerts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

int MessageBoxAlerts::runModal(const Alert& alert)
{
    QMessageBox box(alert.informational ? QMessageBox::Information : QMessageBox::Warning, QStringLiteral("Zentu.it"),
                    alert.message);
    box.setInformativeText(alert.informativeText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QList<QPushButton*> buttons;
    for (int i = 0; i < alert.buttons.size(); ++i) {
        QPushButton* b = box.addButton(alert.buttons[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        buttons << b;
    }
    if (!buttons.isEmpty())
        box.setDefaultButton(buttons.first());
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
    return int(buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}
