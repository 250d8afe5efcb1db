// The "to Gigascreen" run: the default palette comes back, the pair goes out
// as ".emg", ".ch$" or ".img", and only after the file is written are the
// converted copies for the brush taken.

#include "core/form.h"
#include "modes/conv_giga.h"
#include "zxfiles/emg_code.h"
#include "zxfiles/layouts.h"

namespace dw {

void TForm1::btConvGigaClick()
{
    beginRun(true, true);
    const std::string name = outBase + (cbEcoImg.checked ? ".emg" : cbCHRS.checked ? ".ch$" : ".img");
    if (cbEcoImg.checked ? refuseRun({"tablo.dat", "code256.dat"}, name) : refuseRun({"tablo.dat"}, name)) return;
    const ModeSettings settings = modeSettings();
    palette() = Palette{};
    dithOn = retouchOn = settings.floyd;
    startTimer();
    copyWorkToOrig();
    convGiga(conversion(settings));
    addTimeLine();
    if (cbEcoImg.checked) {
        packEmg(scr1, scr2, codeTab, emgBuf);
        writeOutput(name, emgFile(emgBuf));
    } else {
        writeOutput(name, cbCHRS.checked ? gigaChrsFile(scr1, scr2) : imgFile(scr1, scr2));
    }
    scr1Conv = scr1;
    scr2Conv = scr2;
    showScreenPreview();
}

}  // namespace dw
