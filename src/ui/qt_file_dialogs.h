#pragma once
// The core's file dialogs answered by Qt's open-file dialog.

#include <QString>
#include <optional>
#include <string>

#include "core/platform.h"

class QWidget;

namespace dw::ui {

// The window's filters, as "description|patterns|description|patterns".
inline constexpr const char* pictureFilter =
    "Pictures (*.bmp, *.png, *.tga, *.jpg, *.gif)|*.bmp;*.png;*.tga;*.jpg;*.gif|all|*.*";
inline constexpr const char* screenFilter = "all zx|*.mcx;*.scr;*.mc;*.img;*.emg|all|*.*";
inline constexpr const char* paletteFilter = "palette (*.act)|*.act|all|*.*";

// The same filter in Qt's ";;"-separated "description (patterns)" form.
// "*.*" becomes "*", so that "all" also offers names without a dot.
QString qtFilter(const QString& windowFilter);

class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> choosePicture(const std::string& initialDir) override;
    std::optional<std::string> chooseScreen(const std::string& initialDir) override;
    std::optional<std::string> choosePalette(const std::string& initialDir) override;

private:
    std::optional<std::string> open(const char* filter, const std::string& initialDir, bool showHidden);
    QWidget* parent_;
};

}  // namespace dw::ui
