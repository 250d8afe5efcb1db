#include "core/form.h"

#include <filesystem>

#include "core/table_files.h"
#include "picture/working_folder.h"

namespace dw {

std::string cutName(const std::string& name) { return name.size() > 255 ? name.substr(0, 255) : name; }

TForm1::TForm1(FileDialogs& dialogs, Clock& clock) : TForm1(dialogs, clock, fileOutput_) {}

TForm1::TForm1(FileDialogs& dialogs, Clock& clock, Output& output)
    : tableFolders(defaultTableFolders()), workFolder(workingFolder()), dialogs_(dialogs), clock_(clock),
      output_(output)
{
    edBrightness = {"0", &TForm1::edBrightnessChange};
    edColor = {"1", &TForm1::edBrightnessChange};
    edContrast = {"1.25", &TForm1::edBrightnessChange};
    edDithLevel = {"1.0", &TForm1::edDithLevelChange};
    edPrior = {"1.0", nullptr};
    edkcolerr = {"0.0", &TForm1::edBrightnessChange};
    edXmin = {"0", &TForm1::edXminChange};
    edYmin = {"0", &TForm1::edXminChange};
    edWidth = {"0", &TForm1::edWidthChange};
    edHeight = {"0", &TForm1::edHeightChange};
    edRadius = {"8", nullptr};

    for (CheckBox* box : {&cbBrightOnly, &cbChunk5, &cbLimitMC, &cbEvenMC, &cbBrightGrey, &cbRModeNoise})
        box->onClick = &TForm1::edBrightnessChange;
    cbDith.checked = true;
    cbEvenMC.checked = true;
    cbBrightGrey.checked = true;
    cbRModeNoise.checked = true;
    cbFix.checked = true;

    btSaveDraw.enabled = false;

    Memo1.lines = {
        "in bottomright image: LMB=set topleft corner, ",
        "RMB=set bottomright corner",
        "in topright image: LMB=re-texturize with chunks, ",
        "RMB=re-texturize with Floyd",
        "8=brush size. Click \"save\" after re-texturizing",
    };
}

void TForm1::setText(Edit& edit, const std::string& text)
{
    if (edit.text == text) return;
    edit.text = text;
    if (edit.onChange) (this->*edit.onChange)();
}

void TForm1::click(CheckBox& box)
{
    box.checked = !box.checked;
    if (box.onClick) (this->*box.onClick)();
}

void TForm1::setChecked(CheckBox& box, bool checked)
{
    if (box.checked != checked) click(box);
}

std::string TForm1::inWorkFolder(const std::string& name) const
{
    const std::filesystem::path path(name);
    if (workFolder.empty() || path.has_parent_path() || path.is_absolute()) return name;
    return (std::filesystem::path(workFolder) / path).string();
}

void TForm1::enterFolderOf(const std::string& fileName)
{
    const std::string folder = enterableFolderOf(fileName);
    if (folder.empty()) return;
    workFolder = folder;
    dialogs_.enterFolder(folder);
}

void TForm1::addMemoLine(const std::string& line) { Memo1.lines.push_back(line); }

}  // namespace dw
