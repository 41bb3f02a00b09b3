// The sixteen stored properties of the main window, its placement and the tiles' icon size.
#include "app/Settings.h"

#include "app/FileList.h"
#include "app/MainWindow.h"
#include "app/Panels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QSplitter>

const char* const SettingsGroup = "4.x/wnd_pictavo_Main";

std::optional<bool> ReadBooleanWord(const QString& text) {
    const QString word = text.trimmed().toUpper();
    if (word == "TRUE" || word == "YES" || word == "Y")
        return true;
    if (word == "FALSE" || word == "NO" || word == "N")
        return false;
    return std::nullopt;
}

QString BooleanWord(bool value) {
    return value ? "TRUE" : "FALSE";
}

namespace {

QSettings& OpenSettings(QSettings& settings) {
    settings.beginGroup(SettingsGroup);
    return settings;
}

void ReadBoolean(QSettings& settings, const char* key, QCheckBox* box) {
    if (const auto value = ReadBooleanWord(settings.value(key).toString()))
        box->setChecked(*value);
}

void ReadBoolean(QSettings& settings, const char* key, TExpandPanel* panel) {
    if (const auto value = ReadBooleanWord(settings.value(key).toString()))
        panel->SetExpanded(*value);
}

std::optional<int> ReadInteger(QSettings& settings, const char* key) {
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Sets the size of the splitter's pane `pane`, giving the difference to the other pane.
void SetPaneSize(QSplitter* splitter, int pane, int size) {
    QList<int> sizes = splitter->sizes();
    const int total = sizes[0] + sizes[1];
    if (total <= 0) {
        sizes[pane] = size;
    } else {
        sizes[pane] = std::clamp(size, 1, std::max(1, total - 1));
        sizes[1 - pane] = total - sizes[pane];
    }
    splitter->setSizes(sizes);
}

} // namespace

void Twnd_pictavo_Main::RestoreSettings() {
    QSettings store("Vantrel", "Pictavo");
    QSettings& settings = OpenSettings(store);
    if (settings.contains("Placement"))
        restoreGeometry(settings.value("Placement").toByteArray());
    if (settings.contains("cbMask.Text"))
        cbMask->setCurrentText(settings.value("cbMask.Text").toString());
    if (const auto height = ReadInteger(settings, "FileList.Height"))
        SetPaneSize(NxSplitter1, 0, *height);
    ReadBoolean(settings, "cbx32.Checked", cbx32);
    ReadBoolean(settings, "cbxClearView.Checked", cbxClearView);
    ReadBoolean(settings, "cbxIgnore.Checked", cbxIgnore);
    ReadBoolean(settings, "cbxSub.Checked", cbxSub);
    ReadBoolean(settings, "cbxViewAll.Checked", cbxViewAll);
    // "ClientPanel.Width" is stored for completeness; the client panel fills what the
    // left panel leaves, so its width follows from "LeftPanel.Width".
    if (const auto width = ReadInteger(settings, "IconBoxPanel.Width"))
        SetPaneSize(Splitter1, 1, *width);
    if (settings.contains("ShellTree.StartInFolder"))
        ShellTreeStartInFolder = settings.value("ShellTree.StartInFolder").toString();
    ReadBoolean(settings, "epSearch.Expanded", epSearch);
    ReadBoolean(settings, "epDisplay.Expanded", epDisplay);
    if (const auto width = ReadInteger(settings, "LeftPanel.Width"))
        SetPaneSize(Splitter3, 0, *width);
    if (const auto color = ReadInteger(settings, "ColorPicker.ColorValue"))
        ColorPicker->SetColorValue(static_cast<pictavo::TColor>(*color) & 0xFFFFFF);
    ReadBoolean(settings, "cbxClear.Checked", cbxClear);
    if (settings.contains("de.Text"))
        de->SetText(settings.value("de.Text").toString());
    if (const auto size = ReadInteger(settings, "TileSize"))
        SetTileIconSize(*size);
}

void Twnd_pictavo_Main::SaveSettings() {
    QSettings store("Vantrel", "Pictavo");
    QSettings& settings = OpenSettings(store);
    settings.setValue("Placement", saveGeometry());
    settings.setValue("cbMask.Text", cbMask->currentText());
    settings.setValue("FileList.Height", NxSplitter1->sizes()[0]);
    settings.setValue("cbx32.Checked", BooleanWord(cbx32->isChecked()));
    settings.setValue("cbxClearView.Checked", BooleanWord(cbxClearView->isChecked()));
    settings.setValue("cbxIgnore.Checked", BooleanWord(cbxIgnore->isChecked()));
    settings.setValue("cbxSub.Checked", BooleanWord(cbxSub->isChecked()));
    settings.setValue("cbxViewAll.Checked", BooleanWord(cbxViewAll->isChecked()));
    settings.setValue("ClientPanel.Width", ClientPanel->width());
    settings.setValue("IconBoxPanel.Width", Splitter1->sizes()[1]);
    settings.setValue("ShellTree.StartInFolder", ShellTreeStartInFolder);
    settings.setValue("epSearch.Expanded", BooleanWord(epSearch->Expanded()));
    settings.setValue("epDisplay.Expanded", BooleanWord(epDisplay->Expanded()));
    settings.setValue("LeftPanel.Width", Splitter3->sizes()[0]);
    settings.setValue("ColorPicker.ColorValue", static_cast<int>(ColorPicker->ColorValue()));
    settings.setValue("cbxClear.Checked", BooleanWord(cbxClear->isChecked()));
    settings.setValue("de.Text", de->Text());
    settings.setValue("TileSize", TileIconSize());
}
