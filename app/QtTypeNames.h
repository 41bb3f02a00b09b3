// Qt 6 asks for the file types its dialogs show ("Folder", "%1 File", "Drive") under the
// context QAbstractFileIconProvider, while its Chinese catalogue still holds them under
// QFileDialog: without this the file dialog's type column stays English under Chinese.
#pragma once

#include <QTranslator>

class TQtTypeNames : public QTranslator {
public:
    // `qtbase` is Qt's own catalogue, installed beside this one; not owned.
    TQtTypeNames(const QTranslator& qtbase, QObject* parent)
        : QTranslator(parent), FQtBase(qtbase) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }

private:
    const QTranslator& FQtBase;
};
