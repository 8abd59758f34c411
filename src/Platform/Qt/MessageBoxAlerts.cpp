#include "Platform/Qt/MessageBoxAlerts.h"

#include "Text/ButtonText.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

int MessageBoxAlerts::runModal(const Alert& alert)
{
    QMessageBox box(alert.informational ? QMessageBox::Information : QMessageBox::Warning, QStringLiteral("Zentu.it"),
                    QString());
    box.setTextFormat(alert.textFormat);
    box.setText(alert.message);
    box.setInformativeText(alert.informativeText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // QMessageBox guesses the informative text's format and lets its labels
    // open links through the desktop: every label follows the alert's format,
    // and a link, where rich text is asked for, opens nothing by itself.
    for (QLabel* label : box.findChildren<QLabel*>()) {
        label->setTextFormat(alert.textFormat);
        label->setOpenExternalLinks(false);
    }
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
