// "Put this icon into a program…": the current tile's icon becomes the first icon of a
// Windows program, as `pictavo-cli set-icon` does it.

#include "app/CursorGuard.h"
#include "app/Dialogs.h"
#include "app/IconGrid.h"
#include "app/MainWindow.h"
#include "library/ProgramIcon.h"
#include "peres/PEModule.h"

#include <QFileInfo>

void Twnd_pictavo_Main::cmPutIconIntoProgram() {
    Guarded(tr("未能把图标放入程序。"), [this] { PutIconIntoProgram(); });
}

void Twnd_pictavo_Main::PutIconIntoProgram() {
    const TThumbRef tile = SelectedThumb();
    if (!tile)
        return;
    const QString program = FDialogs->OpenFileName(
        tr("选择要放入图标的程序"), QFileInfo(QString::fromStdString(tile->ModuleName())).path(),
        tr("Windows 程序 (*.exe *.dll);;所有文件 (*)"));
    if (program.isEmpty())
        return;
    const QString backup =
        QString::fromStdString(pictavo::BackupFileName(program.toStdString()));
    if (!ConfirmDlg(*FDialogs, tr("是否用这个图标替换 %1 的图标？\r\n原来的程序将保存为 %2。")
                                   .arg(program, backup)))
        return;

    pictavo::TProgramIconChange change;
    change.ProgramFileName = program.toStdString();
    change.IconFileName = tile->ModuleName();
    change.IconIndex = tile->IconIndex();
    pictavo::TProgramIconResult result;
    try {
        CursorGuard hourglass;
        result = pictavo::SetProgramIcon(change);
    } catch (const pictavo::ESignedImage&) {
        // A changed program's signature is void: the user decides whether to drop it.
        const QString question = tr("该程序带有数字签名，修改后签名将失效。\r\n是否去掉签名并放入图标？");
        if (!ConfirmDlg(*FDialogs, question))
            return;
        change.StripSignature = true;
        CursorGuard hourglass;
        result = pictavo::SetProgramIcon(change);
    }
    RefreshFileRows(change.ProgramFileName);
    ShowStatus(tr("图标已放入 %1，原来的程序保存为 %2")
                   .arg(program, QString::fromStdString(result.BackupFileName)));
}
