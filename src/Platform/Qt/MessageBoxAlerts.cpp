#include "Platform/Qt/MessageBoxAlerts.h"

#include "Platform/ButtonText.h"

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
        QPushButton* b = box.addButton(ButtonText::escaped(alert.buttons[i]),
                                       i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        // Return goes to the default button even while another one has focus.
        b->setAutoDefault(i == alert.defaultButton);
        buttons << b;
    }
    if (alert.defaultButton >= 0 && alert.defaultButton < buttons.size())
        box.setDefaultButton(buttons[alert.defaultButton]);
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
    return int(buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
}
