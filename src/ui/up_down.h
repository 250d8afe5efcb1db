#pragma once
// An up-down control: two arrow buttons that step a position within a range
// without wrapping around, as the buddy edit of the brush radius needs.

#include <QWidget>
#include <functional>

namespace dw::ui {

class UpDownArrows : public QWidget {
public:
    explicit UpDownArrows(QWidget* parent = nullptr);

    // Called with +1 for the upper arrow, -1 for the lower one.
    std::function<void(int step)> onStep;
};

// The position one step on, held within min..max.
int steppedPosition(int position, int step, int min, int max);

}  // namespace dw::ui
