#include "app/Dialogs.h"

#include "app/ColorDialog.h"
#include "app/QtColor.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

bool QtDialogs::YesNo(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    FParent);
    return box.exec() == QMessageBox::Yes;
}

TAnswer QtDialogs::YesNoCancel(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, FParent);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes)
        return TAnswer::Yes;
    if (answer == QMessageBox::No)
        return TAnswer::No;
    return TAnswer::Cancel;
}

QString QtDialogs::SaveFileName(const QString& title, const QString& fileName,
                                const QString& filter, bool confirmOverwrite) {
    QFileDialog::Options options;
    if (!confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(FParent, title, fileName, filter, nullptr, options);
}

QString QtDialogs::FolderName(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(FParent, title, start);
}

std::optional<pictavo::TColor> QtDialogs::PickColor(pictavo::TColor initial) {
    const QColor picked = QColorDialog::getColor(ToQColor(initial), FParent);
    if (!picked.isValid())
        return std::nullopt;
    return FromQColor(picked);
}

bool QtDialogs::PickBackgroundColor(const pictavo::platform::IconHandle& icon,
                                    pictavo::TColor& color) {
    return ::PickBackgroundColor(FParent, icon, color,
                                 [this](pictavo::TColor initial) { return PickColor(initial); });
}

QString QtDialogs::OpenFileName(const QString& title, const QString& start, const QString& filter) {
    return QFileDialog::getOpenFileName(FParent, title, start, filter);
}

void QtDialogs::About(const QString& title, const QString& text) {
    QMessageBox::about(FParent, title, text);
}

void QtDialogs::ShowError(const QString& text) {
    QMessageBox::critical(FParent, "Pictavo", text);
}

std::optional<QString> QtDialogs::TextInput(const QString& title, const QString& label,
                                            const QString& text) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(FParent, title, label, QLineEdit::Normal, text, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

namespace {

QString ConfirmationCaption(const QString& caption) {
    return caption.isEmpty() ? QStringLiteral("Confirmation") : caption;
}

} // namespace

bool ConfirmDlg(TDialogs& dialogs, const QString& text, const QString& caption) {
    return dialogs.YesNo(text, ConfirmationCaption(caption));
}

TAnswer ConfirmOrCancelDlg(TDialogs& dialogs, const QString& text, const QString& caption) {
    return dialogs.YesNoCancel(text, ConfirmationCaption(caption));
}
