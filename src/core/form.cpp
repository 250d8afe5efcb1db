#include "core/form.h"

#include "core/table_files.h"

namespace dw {

std::string cutName(const std::string& name) { return name.size() > 255 ? name.substr(0, 255) : name; }

TForm1::TForm1(FileDialogs& dialogs, Clock& clock)
    : tableFolders(defaultTableFolders()), dialogs_(dialogs), clock_(clock)
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

void TForm1::addMemoLine(const std::string& line) { Memo1.lines.push_back(line); }

}  // namespace dw
