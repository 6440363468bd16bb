#include "controls/ButtonBehavior.h"

namespace tessaly {

ButtonFace ChooseButtonFace(const ButtonFaceInput& input, ZelColor textColor, ZelColor disabledTextColor)
{
    if (input.disabled)
        return {kFaceDisabled, disabledTextColor};
    if (input.checked || input.selected)
        return {kFacePressed, textColor};
    if (input.hover)
        return {kFaceHover, textColor};
    return {kFaceNormal, textColor};
}

ButtonContentLayout LayoutButtonContent(int width, int height, bool hasIcon, int iconWidth, int iconHeight,
                                        bool hasText, int textWidth, int textHeight)
{
    ButtonContentLayout layout;
    layout.textRect = ZelRect{0, 0, width, height};
    if (hasIcon && !hasText) {
        layout.iconX = (width - iconWidth) / 2;
        layout.iconY = (height - iconHeight) / 2;
    } else if (hasIcon && hasText) {
        layout.iconX = (width - textWidth - iconWidth - 2) / 2;  // truncates toward zero, sign kept
        layout.iconY = (height - iconHeight) / 2;
        const int left = layout.iconX + iconWidth + 2;
        const int top = (height - textHeight) / 2;
        layout.textRect = ZelRect{left, top, left + textWidth, top + textHeight};
    }
    return layout;
}

}  // namespace tessaly
