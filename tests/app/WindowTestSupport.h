// Support for the main window's tests: dialogs answered by the test, a folder of icon
// files copied from the fixtures, and the window's settings emptied before each test.
#pragma once

#include "app/Dialogs.h"
#include "app/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>

class FakeDialogs : public TDialogs {
public:
    bool YesNo(const QString& text, const QString& caption) override {
        Questions.append(caption + ": " + text);
        return YesAnswer;
    }
    TAnswer YesNoCancel(const QString& text, const QString& caption) override {
        Questions.append(caption + ": " + text);
        if (CancelAnswer)
            return TAnswer::Cancel;
        return YesAnswer ? TAnswer::Yes : TAnswer::No;
    }
    QString SaveFileName(const QString&, const QString& fileName, const QString&, bool) override {
        SaveProposals.append(fileName);
        return SaveAnswer;
    }
    QString FolderName(const QString&, const QString& start) override {
        FolderStarts.append(start);
        return FolderAnswer;
    }
    QString OpenFileName(const QString&, const QString&, const QString&) override {
        return OpenAnswer;
    }
    void About(const QString&, const QString& text) override { AboutTexts.append(text); }
    std::optional<pictavo::TColor> PickColor(pictavo::TColor) override { return ColorAnswer; }
    bool PickBackgroundColor(const pictavo::platform::IconHandle&,
                             pictavo::TColor& color) override {
        BackgroundOffered = color;
        if (!BackgroundAnswer)
            return false;
        color = *BackgroundAnswer;
        return true;
    }
    void ShowError(const QString& text) override { Errors.append(text); }
    std::optional<QString> TextInput(const QString&, const QString&,
                                     const QString& text) override {
        TextProposals.append(text);
        return TextAnswer;
    }

    bool YesAnswer = false;
    bool CancelAnswer = false; // YesNoCancel: Cancel, whatever YesAnswer says
    QString SaveAnswer;
    QString FolderAnswer;
    QString OpenAnswer;
    QStringList AboutTexts;
    std::optional<pictavo::TColor> ColorAnswer;
    std::optional<pictavo::TColor> BackgroundAnswer = pictavo::clWhite; // nothing: cancel
    std::optional<pictavo::TColor> BackgroundOffered;
    QStringList SaveProposals; // the names the save dialogs proposed
    QStringList FolderStarts;  // where the folder browsers opened
    QStringList Questions;
    QStringList Errors;
    std::optional<QString> TextAnswer; // nothing: cancel
    QStringList TextProposals;         // the texts the text inputs started with
};

// a.dll (3 icons), b.dll (2 icons), c.ico (1 icon), arrow.cur (1 icon, 1 bit only),
// notes.txt (none).
class IconFolder {
public:
    IconFolder() {
        Copy("pe/icons32.dll", "a.dll");
        Copy("pe/icons64.dll", "b.dll");
        Copy("pe/one.ico", "c.ico");
        Copy("pe/arrow.cur", "arrow.cur");
        QFile text(Path() + "/notes.txt");
        text.open(QIODevice::WriteOnly);
        text.write("text");
    }
    QString Path() const { return FDir.path(); }
    QString File(const QString& name) const { return FDir.path() + "/" + name; }
    void Copy(const QString& fixture, const QString& name) const {
        QFile::copy(QString(PICTAVO_FIXTURES) + "/" + fixture, File(name));
    }

private:
    QTemporaryDir FDir;
};

// The user's data folder ($XDG_DATA_HOME) in a temporary folder while the object lives.
class TemporaryDataHome {
public:
    TemporaryDataHome() { qputenv("XDG_DATA_HOME", FHome.path().toUtf8()); }
    ~TemporaryDataHome() {
        if (FHadData)
            qputenv("XDG_DATA_HOME", FSavedData);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    TemporaryDataHome(const TemporaryDataHome&) = delete;
    TemporaryDataHome& operator=(const TemporaryDataHome&) = delete;
    QString path() const { return FHome.path(); }
    QString filePath(const QString& name) const { return FHome.filePath(name); }

private:
    const bool FHadData = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    const QByteArray FSavedData = qgetenv("XDG_DATA_HOME");
    QTemporaryDir FHome;
};

// A window with fake dialogs and no stored settings.
inline FakeDialogs* UseFakeDialogs(Twnd_pictavo_Main& window) {
    auto dialogs = std::make_unique<FakeDialogs>();
    FakeDialogs* fake = dialogs.get();
    window.SetDialogs(std::move(dialogs));
    return fake;
}

inline void ClearStoredSettings() {
    QSettings("Vantrel", "Pictavo").clear();
}
