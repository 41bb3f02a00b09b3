// "保存到图标主题…": the selected tile's icon as launcher icons in the user's own hicolor
// theme, under a name the user confirms, found by the desktop at once. The file work is
// the core's (library/IconTheme).

#include "app/CursorGuard.h"
#include "app/IconGrid.h"
#include "app/MainWindow.h"
#include "library/FileIcons.h"
#include "library/IconTheme.h"

#include <QDir>

void Twnd_pictavo_Main::cmSaveToIconTheme() {
    const TThumbRef tile = SelectedThumb();
    if (!tile)
        return;
    const QString title = tr("保存到图标主题");
    const std::optional<QString> answer =
        FDialogs->TextInput(title, tr("图标名称（桌面文件中的 Icon=）："),
                            QString::fromStdString(pictavo::ThemeIconName(tile->ModuleName())));
    if (!answer)
        return;
    const std::string name = answer->trimmed().toStdString();
    if (!pictavo::IsThemeIconName(name)) {
        FDialogs->ShowError(tr("图标名称只能由字母、数字、“.”、“_”和“-”组成。"));
        return;
    }
    const std::string theme = pictavo::UserIconThemeFolder();
    // Another program's launcher icon may have that name.
    if (pictavo::ThemeHasIcon(theme, name) &&
        !ConfirmDlg(*FDialogs,
                    tr("图标主题中已有图标“%1”。要替换它吗？").arg(QString::fromStdString(name)),
                    title))
        return;
    CursorGuard hourglass;
    pictavo::TMultiIcon icon;
    pictavo::LoadFileIcon(icon, tile->ModuleName(), tile->IconIndex());
    const std::vector<std::string> written = pictavo::SaveIconToTheme(icon, theme, name);
    ShowStatus(tr("图标“%1”已保存到 %2（%3 种尺寸）")
                   .arg(QString::fromStdString(name),
                        QDir::toNativeSeparators(QString::fromStdString(theme + "/hicolor")))
                   .arg(written.size()));
}
