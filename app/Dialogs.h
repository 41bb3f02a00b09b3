// Every modal question the window asks goes through TDialogs, so tests replace it and
// drive every command without a person. QtDialogs shows the real boxes.
#pragma once

#include "platform/Raster.h"
#include "util/Color.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

// The answer to a question with the buttons Yes, No and Cancel.
enum class TAnswer { Yes, No, Cancel };

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A question with the buttons Yes and No; true exactly for Yes.
    virtual bool YesNo(const QString& text, const QString& caption) = 0;
    // A question with the buttons Yes, No and Cancel; Escape and closing the box cancel.
    virtual TAnswer YesNoCancel(const QString& text, const QString& caption) = 0;
    // A save dialog; `filter` as Qt writes it ("Icons (*.ico);;All files (*)"). Empty when
    // cancelled. With confirmOverwrite the dialog asks before an existing file is chosen.
    virtual QString SaveFileName(const QString& title, const QString& fileName,
                                 const QString& filter, bool confirmOverwrite) = 0;
    // A folder browser; empty when cancelled.
    virtual QString FolderName(const QString& title, const QString& start) = 0;
    // An open dialog for one existing file; empty when cancelled.
    virtual QString OpenFileName(const QString& title, const QString& start,
                                 const QString& filter) = 0;
    // The box that tells what the program is and which version it is.
    virtual void About(const QString& title, const QString& text) = 0;
    // A colour dialog starting at `initial`; nothing when cancelled.
    virtual std::optional<pictavo::TColor> PickColor(pictavo::TColor initial) = 0;
    // The background colour dialog of the bitmap export, showing the icon on the colour;
    // on OK stores the chosen colour and returns true, on cancel returns false.
    virtual bool PickBackgroundColor(const pictavo::platform::IconHandle& icon,
                                     pictavo::TColor& color) = 0;
    // The application's error report for an error no command handles itself.
    virtual void ShowError(const QString& text) = 0;
    // A one-line text the user confirms or edits, starting as `text`; nothing when cancelled.
    virtual std::optional<QString> TextInput(const QString& title, const QString& label,
                                             const QString& text) = 0;
};

class QtDialogs : public TDialogs {
public:
    // The boxes are owned by `parent` (the main window).
    explicit QtDialogs(QWidget* parent) : FParent(parent) {}
    bool YesNo(const QString& text, const QString& caption) override;
    TAnswer YesNoCancel(const QString& text, const QString& caption) override;
    QString SaveFileName(const QString& title, const QString& fileName, const QString& filter,
                         bool confirmOverwrite) override;
    QString FolderName(const QString& title, const QString& start) override;
    QString OpenFileName(const QString& title, const QString& start,
                         const QString& filter) override;
    void About(const QString& title, const QString& text) override;
    std::optional<pictavo::TColor> PickColor(pictavo::TColor initial) override;
    bool PickBackgroundColor(const pictavo::platform::IconHandle& icon,
                             pictavo::TColor& color) override;
    void ShowError(const QString& text) override;
    std::optional<QString> TextInput(const QString& title, const QString& label,
                                     const QString& text) override;

private:
    QWidget* FParent;
};

// The yes/no question: asks `text` with `caption`, or "Confirmation" when the caption is
// empty; true exactly for Yes.
bool ConfirmDlg(TDialogs& dialogs, const QString& text, const QString& caption = {});
// The same with a Cancel button beside Yes and No.
TAnswer ConfirmOrCancelDlg(TDialogs& dialogs, const QString& text, const QString& caption = {});
