// The window's two languages: with no translation its texts are the Chinese source texts;
// with the English translation (the one the program loads outside a Chinese locale) not
// one Chinese character is left in the window or the colour dialog.

#include "../icons/IconTestSupport.h"
#include "AppTest.h"
#include "app/ColorDialog.h"
#include "app/FileList.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "app/QtTypeNames.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTranslator>
#include <QtTest>
#include <functional>

namespace {

// Every text the widget and its children show.
QStringList TextsOf(QWidget& root) {
    QStringList texts{root.windowTitle(), root.toolTip()};
    for (QWidget* widget : root.findChildren<QWidget*>()) {
        texts << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        if (auto* combo = qobject_cast<QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto* header = qobject_cast<TGradientHeader*>(widget))
            texts << header->Text();
        if (auto* status = qobject_cast<QStatusBar*>(widget))
            texts << status->currentMessage();
        if (auto* list = qobject_cast<TFileList*>(widget))
            for (int column = 0; column < list->Model().columnCount(); ++column)
                texts << list->Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    for (QAction* action : root.findChildren<QAction*>())
        texts << action->text();
    texts.removeAll(QString());
    return texts;
}

QStringList WithChinese(const QStringList& texts) {
    static const QRegularExpression han("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]");
    return texts.filter(han);
}

// The texts `collect` gathers with the English translation installed, the one the
// program loads outside a Chinese locale.
QStringList InEnglish(const std::function<QStringList()>& collect) {
    QTranslator english;
    if (!english.load(":/i18n/pictavo_en.qm"))
        return {"the English translation is not embedded"};
    QApplication::installTranslator(&english);
    const QStringList texts = collect();
    QApplication::removeTranslator(&english);
    return texts;
}

// The words every English text uses for the window's Chinese texts.
const std::pair<const char*, const char*> Words[] = {
    {"搜索", "Search"},
    {"开始", "Start"},
    {"显示选项", "Display options"},
    {"清除先前选择项", "Clear previous selection"},
    {"仅显示 32bit (位)图标(较慢)", "Show only 32-bit icons (slower)"},
    {"清除先前的搜索结果", "Clear previous results"},
    {"包括子文件夹", "Include subfolders"},
    {"忽略重复文件", "Ignore duplicate files"},
    {"查看所有找到的图标", "View all found icons"},
    {"文件名称", "File name"},
    {"图标数量", "Icons"},
    {"修改时间", "Modified"},
    {"文件位置", "Location"},
    {"添加到查看", "Add to view"},
    {"选择的", "Selected"},
    {"所有", "All"},
    {"保存到图标库", "Save to icon library"},
    {"刷新", "Refresh"},
    {"保存为图标", "Save as icon"},
    {"由视图中移除", "Remove from view"},
    {"汉化版: 4.2.0.0", "Version 4.2.0.0"},
};

class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void withoutTranslationTheWindowShowsTheChineseTexts() {
        Twnd_pictavo_Main window;
        const QStringList texts = TextsOf(window);
        for (const auto& [chinese, english] : Words)
            QVERIFY2(texts.contains(QString::fromUtf8(chinese)), chinese);
    }

    void englishWindowHasNoChineseLeft() {
        const QStringList texts = InEnglish([] {
            Twnd_pictavo_Main window;
            return TextsOf(window);
        });
        QCOMPARE(WithChinese(texts), QStringList());
        for (const auto& [chinese, word] : Words)
            QVERIFY2(texts.contains(QString::fromUtf8(word)), word);
    }

    void englishCountsTakeTheirPlural() {
        const auto header = [](int count) {
            return Twnd_pictavo_Main::tr("%1 文件 - %n 图标", nullptr, count).arg(3);
        };
        QCOMPARE(header(1), QString::fromUtf8("3 文件 - 1 图标"));
        const QStringList english = InEnglish([&] { return QStringList{header(1), header(7)}; });
        QCOMPARE(english, (QStringList{"3 files - 1 icon", "3 files - 7 icons"}));
    }

    void englishColourDialogHasNoChineseLeft() {
        const QStringList texts = InEnglish([] {
            pictavo::TMultiIcon icon;
            pictavo::test::LoadBytes(icon,
                                     pictavo::test::MakeIcon({pictavo::test::BlockRecipe{}}));
            const auto handle = icon.CreateIconHandle(0);
            Tdlg_pictavo_Color dialog(*handle, nullptr);
            return TextsOf(dialog);
        });
        QCOMPARE(WithChinese(texts), QStringList());
        QVERIFY(texts.contains("Select background colour"));
    }

    // Under Chinese, Qt's file dialogs name a folder's type in Chinese too, although Qt 6
    // asks for it under a context its Chinese catalogue lacks.
    void chineseFileDialogsNameFileTypes() {
        QTranslator qtbase;
        if (!qtbase.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
        TQtTypeNames typeNames(qtbase, nullptr);
        QApplication::installTranslator(&typeNames);
        const QString folderType = QAbstractFileIconProvider().type(QFileInfo(QDir::tempPath()));
        QApplication::removeTranslator(&typeNames);
        QCOMPARE(folderType, qtbase.translate("QFileDialog", "Folder"));
        QVERIFY(!WithChinese({folderType}).isEmpty());
        // Other contexts are left to Qt's own catalogue.
        QCOMPARE(typeNames.translate("QFileDialog", "Folder", nullptr, -1), QString());
    }
};

} // namespace

PICTAVO_APP_TEST(TranslationTest)
#include "TranslationTest.moc"
