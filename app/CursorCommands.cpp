// The window's cursor commands: "保存为 Linux 光标主题…" (File menu, file-list and
// folder-tree menus) writes the listed folder's cursor pack as a Linux cursor theme
// through the core's theme writer, as pictavo-cli cursor-theme does; and the player that
// shows an animated cursor's steps above the image list.

#include "app/CursorPlayer.h"
#include "app/CursorRules.h"
#include "app/FileList.h"
#include "app/IconBox.h"
#include "app/LongWork.h"
#include "app/MainWindow.h"
#include "app/Panels.h"
#include "cursors/AnimatedCursor.h"
#include "cursors/CursorScheme.h"
#include "cursors/CursorTheme.h"

#include <QDir>
#include <QFileSystemModel>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

void Twnd_pictavo_Main::BuildCursorCommands() {
    CursorPlayer = new TCursorPlayer;
    CursorPlayer->setObjectName("CursorPlayer");
    // Between the image list's header and its items.
    if (auto* box = qobject_cast<QVBoxLayout*>(IconBoxPanel->layout()))
        box->insertWidget(box->indexOf(IconBox), CursorPlayer);
    CursorPlayer->SetColor(ColorPicker->ColorValue());
    // The handlers hold the widgets, not the window: they may run while it is destroyed.
    connect(ColorPicker, &TColorCombo::colorChanged, CursorPlayer,
            [player = CursorPlayer, picker = ColorPicker] {
                player->SetColor(picker->ColorValue());
            });
    // Another icon chosen, or none: the list is emptied first, and the player stops.
    connect(IconBox->model(), &QAbstractItemModel::modelReset, CursorPlayer,
            [player = CursorPlayer] { player->Stop(); });

    const QString caption = tr("保存为 Linux 光标主题…");
    FileListPopup->addSeparator();
    AddCommand(FileListPopup, Command::SaveCursorTheme, caption, [this] { cmSaveCursorTheme(); })
        ->setObjectName("pmSaveCursorTheme");
    ShellTreePopup = new QMenu(this);
    ShellTreePopup->setObjectName("ShellTreePopup");
    AddCommand(ShellTreePopup, Command::SaveCursorTheme, caption, [this] { cmSaveCursorTheme(); });
    ShellTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ShellTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // Over a folder, which the right button has selected; not over empty space.
        if (!ShellTree->indexAt(at).isValid() || ShellTreeSelectedFolder().isEmpty())
            return;
        UpdateCommands();
        ShellTreePopup->popup(ShellTree->viewport()->mapToGlobal(at));
    });
}

void Twnd_pictavo_Main::PlayCursorOf(const std::string& fileName) {
    if (!pictavo::IsAnimatedCursorFile(fileName)) {
        CursorPlayer->Stop();
        return;
    }
    try {
        CursorPlayer->Play(std::make_shared<const pictavo::TAnimatedCursor>(
            pictavo::LoadAnimatedCursor(fileName)));
    } catch (const std::exception&) {
        // The frame's own load has said what is wrong with the file.
        CursorPlayer->Stop();
    }
}

void Twnd_pictavo_Main::OpenedCursorPack(const QString& infFile) {
    FOpenedInf = infFile;
    ShowStatus(tr("光标包 %1：用“文件 → 保存为 Linux 光标主题…”转换为 Linux 光标主题。")
                   .arg(QDir::toNativeSeparators(infFile)));
}

QString Twnd_pictavo_Main::SelectedCursorPack() const {
    return CursorPackSource(ShellTreeSelectedFolder(), FOpenedInf);
}

namespace {

QString NativePath(const std::string& path) {
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

// The files of the pack the theme leaves out, by name.
QString LeftOutFiles(const pictavo::TCursorScheme& scheme) {
    QStringList names;
    for (const auto* files : {&scheme.Unmatched, &scheme.Repeated})
        for (const std::string& file : *files)
            names << QString::fromStdString(std::filesystem::path(file).filename().string());
    return names.join(", ");
}

} // namespace

void Twnd_pictavo_Main::cmSaveCursorTheme() {
    Guarded(tr("未能保存光标主题。"), [this] { SaveCursorTheme(); });
}

void Twnd_pictavo_Main::SaveCursorTheme() {
    const QString source = SelectedCursorPack();
    if (source.isEmpty())
        return;
    const QString title = tr("保存为 Linux 光标主题");
    // A folder without cursors says so before any question.
    const pictavo::TCursorScheme scheme = pictavo::ReadCursorScheme(source.toStdString());
    const std::optional<QString> answer = FDialogs->TextInput(
        title, tr("光标主题名称（桌面设置中显示的名称）："),
        QString::fromStdString(pictavo::ThemeNameOfSource(source.toStdString())));
    if (!answer)
        return;
    const std::string name = answer->trimmed().toStdString();
    if (!pictavo::IsValidThemeName(name)) {
        FDialogs->ShowError(tr("主题名称不能为空，也不能含有“/”。"));
        return;
    }
    pictavo::TCursorThemeRequest request;
    request.Folder = pictavo::UserCursorThemesFolder();
    request.Name = name;
    const std::string target = request.Folder + "/" + name;
    std::error_code error;
    if (std::filesystem::symlink_status(target, error).type() !=
        std::filesystem::file_type::not_found) {
        // Another theme (of icons, say) is never replaced; a cursor theme when the user says so.
        if (!pictavo::IsCursorThemeFolder(target)) {
            FDialogs->ShowError(tr("%1 已存在，但不是光标主题。请换一个名称。").arg(NativePath(target)));
            return;
        }
        if (!ConfirmDlg(*FDialogs,
                        tr("已有光标主题“%1”。要替换它吗？").arg(QString::fromStdString(name)),
                        title))
            return;
    }
    std::string written;
    const bool finished = LongWork->Run(title, [&](TWorkProgress& progress) {
        request.OnCursor = [&progress](size_t done, size_t total, const std::string& file) {
            progress.SetTotal(total);
            progress.Step(done, file);
        };
        written = pictavo::WriteCursorTheme(scheme, request);
    });
    if (!finished) {
        ShowStatus(tr("已取消：光标主题未写入。"));
        return;
    }
    const QString leftOut = LeftOutFiles(scheme);
    ShowStatus(leftOut.isEmpty()
                   ? tr("光标主题“%1”已保存到 %2（%n 个光标），可在桌面设置中选用。", nullptr,
                        scheme.RoleCount())
                         .arg(QString::fromStdString(name), NativePath(written))
                   : tr("光标主题“%1”已保存到 %2（%n 个光标）；未用的文件（无对应光标角色，或其角色已有文件）：%3",
                        nullptr, scheme.RoleCount())
                         .arg(QString::fromStdString(name), NativePath(written), leftOut));
}
