#include "ui/up_down.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace dw::ui {

UpDownArrows::UpDownArrows(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& [arrow, step, name] : {std::tuple{Qt::UpArrow, 1, "up"}, std::tuple{Qt::DownArrow, -1, "down"}}) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, s = step] {
            if (onStep) onStep(s);
        });
    }
}

int steppedPosition(int position, int step, int min, int max) { return std::clamp(position + step, min, max); }

}  // namespace dw::ui
