#include "Editor/OCRResultView.h"

#include "Localization/Localizer.h"
#include "Text/ButtonText.h"
#include "Ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

OCRResultView::OCRResultView(const QString& text, std::function<void(const QString&)> copyText, QWidget* parent)
    : QDialog(parent)
    , m_text(text)
{
    setWindowModality(Qt::WindowModal);
    setFixedSize(460, 320);
    const QString title = Localizer::t(QStringLiteral("Erkannter Text"));
    setWindowTitle(title);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);

    auto* heading = new QLabel(title);
    heading->setFont(Theme::font(13, QFont::DemiBold));
    column->addWidget(heading);

    if (text.isEmpty()) {
        m_empty = new QLabel(Localizer::t(QStringLiteral("Es wurde kein Text im Bild gefunden.")));
        m_empty->setObjectName(QStringLiteral("emptyMessage"));
        m_empty->setAlignment(Qt::AlignCenter);
        m_empty->setWordWrap(true);
        Theme::setForeground(m_empty, Theme::secondary(this));
        column->addStretch(1);
        column->addWidget(m_empty);
        column->addStretch(1);
    } else {
        m_textView = new QPlainTextEdit(text);
        m_textView->setObjectName(QStringLiteral("textView"));
        m_textView->setReadOnly(true);
        m_textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        m_textView->setFont(Theme::font(13));
        m_textView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_textView->setFrameShape(QFrame::NoFrame);
        m_textView->document()->setDocumentMargin(8);
        m_textView->setAccessibleName(title);
        // The text lies on the text background, rounded.
        m_textView->setStyleSheet(QStringLiteral("QPlainTextEdit { background: %1; border-radius: 8px; }")
                                      .arg(Theme::textBackground(this).name(QColor::HexArgb)));
        column->addWidget(m_textView, 1);
    }

    auto* footer = new QHBoxLayout;
    footer->setSpacing(8);
    if (!text.isEmpty()) {
        auto* caption = new QLabel(Localizer::t(QStringLiteral("In die Zwischenablage kopiert.")));
        caption->setFont(Theme::font(Theme::captionSize));
        Theme::setForeground(caption, Theme::secondary(this));
        footer->addWidget(caption);
    }
    footer->addStretch(1);
    if (!text.isEmpty()) {
        m_copyAgain = new QPushButton(ButtonText::escaped(Localizer::t(QStringLiteral("Erneut kopieren"))));
        m_copyAgain->setObjectName(QStringLiteral("copyAgainButton"));
        m_copyAgain->setAutoDefault(false);
        m_copyAgain->setAccessibleName(Localizer::t(QStringLiteral("Erneut kopieren")));
        connect(m_copyAgain, &QPushButton::clicked, this, [this, copyText = std::move(copyText)] {
            if (copyText)
                copyText(m_text);
        });
        footer->addWidget(m_copyAgain);
    }
    m_close = new QPushButton(ButtonText::escaped(Localizer::t(QStringLiteral("Schließen"))));
    m_close->setDefault(true);
    m_close->setAccessibleName(Localizer::t(QStringLiteral("Schließen")));
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    footer->addWidget(m_close);
    column->addLayout(footer);
    m_close->setFocus();
}
