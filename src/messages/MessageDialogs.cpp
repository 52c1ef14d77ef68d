#include "MessageDialogs.h"

#include "messages/BoxPlacement.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

namespace {
// The box sizes itself as it is shown; only then is its place known.
class PlacedMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (!event->spontaneous())
            boxplacement::place(*this);
    }
};

struct Choice {
    QMessageBox::StandardButton button;
    int code;
};

std::vector<Choice> choicesOf(int style)
{
    std::vector<Choice> choices;
    switch (style & 7) {
    case 1: choices = {{QMessageBox::Ok, 1}, {QMessageBox::Cancel, 2}}; break;
    case 2: choices = {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}}; break;
    case 3: choices = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}, {QMessageBox::Cancel, 2}}; break;
    case 4: choices = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}}; break;
    case 5: choices = {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, 2}}; break;
    default: choices = {{QMessageBox::Ok, 1}}; break;
    }
    return choices;
}
} // namespace

std::unique_ptr<QMessageBox> MessageDialogs::messageBox(const QString& prompt, int style, const QString& title)
{
    auto box = std::make_unique<PlacedMessageBox>(boxplacement::owner());
    box->setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
    box->setText(prompt);
    switch (style & 0x70) {
    case 16: box->setIcon(QMessageBox::Critical); break;
    case 32: box->setIcon(QMessageBox::Question); break;
    case 48: box->setIcon(QMessageBox::Warning); break;
    case 64: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    const std::vector<Choice> choices = choicesOf(style);
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices)
        buttons |= c.button;
    box->setStandardButtons(buttons);
    // The default button: first, second or third by the style's 0, 256, 512.
    const std::size_t defaultIndex = std::min<std::size_t>(std::size_t((style >> 8) & 3), choices.size() - 1);
    box->setDefaultButton(choices[defaultIndex].button);
    return box;
}

int MessageDialogs::msgBox(const QString& prompt, int style, const QString& title)
{
    const auto box = messageBox(prompt, style, title);
    const std::vector<Choice> choices = choicesOf(style);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box->exec();
    QApplication::restoreOverrideCursor();
    const auto clicked = box->standardButton(box->clickedButton());
    for (const Choice& c : choices)
        if (c.button == clicked)
            return c.code;
    // Closed without a button: the one Esc stands for.
    for (const Choice& c : choices)
        if (c.code == 2)
            return 2;
    return choices.size() == 1 ? 1 : choices.back().code;
}

std::unique_ptr<QInputDialog> MessageDialogs::inputDialog(const QString& prompt, const QString& title,
                                                         const QString& defaultText)
{
    auto dialog = std::make_unique<QInputDialog>(boxplacement::owner());
    dialog->setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    return dialog;
}

std::optional<QString> MessageDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    const auto dialog = inputDialog(prompt, title, defaultText);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

void installMessageDialogs() { installSystemDialogs(std::make_shared<MessageDialogs>()); }
