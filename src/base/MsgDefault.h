#pragma once
// Which button of a message box Enter presses (the classic default-button style flags), and
// the buttons a style shows.
#include "base/Ui.h"

#include <QList>

inline constexpr MsgStyle vbDefaultButton2 = MsgStyle(256);
inline constexpr MsgStyle vbDefaultButton3 = MsgStyle(512);

// The button Enter presses: 0 the first, 1 the second, 2 the third.
inline int MsgDefaultButton(MsgStyle s) {
    return (int(s) >> 8) & 0x03;
}
// The buttons of a message box, in the order shown.
inline QList<MsgResult> MsgButtonList(MsgStyle s) {
    switch (MsgButtons(s)) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    default:
        return {vbOK};
    }
}
// The answer Enter gives.
inline MsgResult MsgDefaultAnswer(MsgStyle s) {
    const QList<MsgResult> buttons = MsgButtonList(s);
    return buttons.value(MsgDefaultButton(s), buttons.first());
}
