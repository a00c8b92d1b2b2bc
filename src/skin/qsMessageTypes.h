#pragma once

#include <QtGlobal>
#include <initializer_list>

// Kinds of message: they choose the window's caption and icon.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons a message window can show, left to right in this order.
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbClose
};
inline constexpr int kMsgDlgBtnCount = mbClose + 1;

// A set of buttons: a 16-bit mask in which bit n stands for the button with ordinal n, so
// the set of mbYes alone is the value 1.
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
        for (TMsgDlgBtn b : buttons) {
            mask_ = static_cast<quint16>(mask_ | (1u << b));
        }
    }
    static constexpr TMsgDlgButtons fromMask(quint16 mask) {
        TMsgDlgButtons set;
        set.mask_ = mask;
        return set;
    }

    constexpr quint16 mask() const { return mask_; }
    constexpr bool contains(TMsgDlgBtn b) const { return (mask_ >> b) & 1u; }
    // The number of buttons in the set among the ordinals mbYes to mbClose.
    constexpr int count() const {
        int n = 0;
        for (int b = mbYes; b <= mbClose; ++b) {
            n += (mask_ >> b) & 1u;
        }
        return n;
    }
    constexpr bool operator==(const TMsgDlgButtons&) const = default;

private:
    quint16 mask_ = 0;
};

// Modal results: the code of the button that closed a window; 0 keeps the window open.
enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrClose = 8,
    mrAll = 12,
    mrNoToAll = 13,
    mrYesToAll = 14
};
