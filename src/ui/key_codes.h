// The program's key codes, the one integer space in which key strokes, key
// events and the key-state snapshot name keys and mouse buttons, and the
// fixed table of their lower-case names. Codes run from 0 to 511: keys that
// type or control an ASCII character use its code (letters lower case), the
// keypad, arrows, function keys, modifiers and browser keys sit from 256 up,
// and the mouse buttons from 500. The platform layer translates its own key
// numbers into these; key map files and menus use the names.
//
// The codes stay plain int32_t constants rather than an enumeration: they
// are stored in events and strokes as integers, compared by range and used
// as indices of InputState::key.
#pragma once

#include <cstdint>

// One more than the largest key code.
constexpr int32_t kKeyCodeCount = 512;

// Keys that type or control characters: the ASCII code of their character.
constexpr int32_t kKeyBackspace = 8, kKeyTab = 9, kKeyClear = 12, kKeyEnter = 13, kKeyPause = 19;
constexpr int32_t kKeyEscape = 27, kKeySpace = 32, kKeyExclaim = '!', kKeyQuoteDouble = '"';
constexpr int32_t kKeyHash = '#', kKeyDollar = '$', kKeyAmpersand = '&', kKeyQuote = '\'';
constexpr int32_t kKeyLeftParen = '(', kKeyRightParen = ')', kKeyAsterisk = '*', kKeyPlus = '+';
constexpr int32_t kKeyComma = ',', kKeyMinus = '-', kKeyPeriod = '.', kKeySlash = '/', kKey0 = '0';
constexpr int32_t kKey1 = '1', kKey2 = '2', kKey3 = '3', kKey4 = '4', kKey5 = '5', kKey6 = '6';
constexpr int32_t kKey7 = '7', kKey8 = '8', kKey9 = '9', kKeyColon = ':', kKeySemicolon = ';';
constexpr int32_t kKeyLess = '<', kKeyEquals = '=', kKeyGreater = '>', kKeyQuestion = '?';
constexpr int32_t kKeyAt = '@', kKeyLeftBracket = '[', kKeyBackslash = '\\', kKeyRightBracket = ']';
constexpr int32_t kKeyCaret = '^', kKeyUnderscore = '_', kKeyBackquote = '`', kKeyA = 'a';
constexpr int32_t kKeyB = 'b', kKeyC = 'c', kKeyD = 'd', kKeyE = 'e', kKeyF = 'f', kKeyG = 'g';
constexpr int32_t kKeyH = 'h', kKeyI = 'i', kKeyJ = 'j', kKeyK = 'k', kKeyL = 'l', kKeyM = 'm';
constexpr int32_t kKeyN = 'n', kKeyO = 'o', kKeyP = 'p', kKeyQ = 'q', kKeyR = 'r', kKeyS = 's';
constexpr int32_t kKeyT = 't', kKeyU = 'u', kKeyV = 'v', kKeyW = 'w', kKeyX = 'x', kKeyY = 'y';
constexpr int32_t kKeyZ = 'z', kKeyDelete = 127;

// The keypad, navigation and function keys.
constexpr int32_t kKeyKeypad0 = 256, kKeyKeypad1 = 257, kKeyKeypad2 = 258, kKeyKeypad3 = 259;
constexpr int32_t kKeyKeypad4 = 260, kKeyKeypad5 = 261, kKeyKeypad6 = 262, kKeyKeypad7 = 263;
constexpr int32_t kKeyKeypad8 = 264, kKeyKeypad9 = 265, kKeyKeypadPeriod = 266;
constexpr int32_t kKeyKeypadDivide = 267, kKeyKeypadMultiply = 268, kKeyKeypadMinus = 269;
constexpr int32_t kKeyKeypadPlus = 270, kKeyKeypadEnter = 271, kKeyKeypadEquals = 272, kKeyUp = 273;
constexpr int32_t kKeyDown = 274, kKeyRight = 275, kKeyLeft = 276, kKeyInsert = 277, kKeyHome = 278;
constexpr int32_t kKeyEnd = 279, kKeyPageUp = 280, kKeyPageDown = 281, kKeyF1 = 282, kKeyF2 = 283;
constexpr int32_t kKeyF3 = 284, kKeyF4 = 285, kKeyF5 = 286, kKeyF6 = 287, kKeyF7 = 288, kKeyF8 = 289;
constexpr int32_t kKeyF9 = 290, kKeyF10 = 291, kKeyF11 = 292, kKeyF12 = 293, kKeyF13 = 294;
constexpr int32_t kKeyF14 = 295, kKeyF15 = 296;

// Lock, modifier and system keys. The left modifier codes also carry the
// generic state of their pair, so they are down whenever either key of the
// pair is.
constexpr int32_t kKeyNumLock = 300, kKeyCapsLock = 301, kKeyScrollLock = 302, kKeyRightShift = 303;
constexpr int32_t kKeyLeftShift = 304, kKeyRightControl = 305, kKeyLeftControl = 306;
constexpr int32_t kKeyRightAlt = 307, kKeyLeftAlt = 308, kKeyRightMeta = 309, kKeyLeftMeta = 310;
constexpr int32_t kKeyLeftSuper = 311, kKeyRightSuper = 312, kKeyMode = 313, kKeyCompose = 314;
constexpr int32_t kKeyHelp = 315, kKeyPrintScreen = 316, kKeySysReq = 317, kKeyBreak = 318;
constexpr int32_t kKeyContextMenu = 319, kKeyPower = 320, kKeyEuro = 321, kKeyUndo = 322;

// Browser keys.
constexpr int32_t kKeyBrowserBack = 400, kKeyBrowserForward = 401, kKeyBrowserRefresh = 402;
constexpr int32_t kKeyBrowserStop = 403, kKeyBrowserSearch = 404, kKeyBrowserFavorites = 405;
constexpr int32_t kKeyBrowserHome = 406;

// The mouse buttons and clicks take 500 to 507; the window treats that
// whole range as buttons.
constexpr int32_t kMouseLeft = 500;
constexpr int32_t kMouseRight = 501;
constexpr int32_t kMouseMiddle = 502;
constexpr int32_t kMouseExtra = 503;       // either extra button, in button events
constexpr int32_t kMouseExtraSecond = 504; // the second extra button; only in key states
constexpr int32_t kMouseDoubleClick = 505; // a double click of the left button
constexpr int32_t kMouseTripleClick = 506; // a triple click of the left button; no name
constexpr int32_t kMouseReserved = 507;
constexpr int32_t kMouseFirst = kMouseLeft;
constexpr int32_t kMouseLast = kMouseReserved;

inline bool isMouseCode(int32_t code) { return code >= kMouseFirst && code <= kMouseLast; }

struct KeyCodeName {
    int32_t code;
    const char* name;
};

// Every named code with its name, in code order; a code not listed has no
// name. Key map files and menus depend on these exact texts.
inline constexpr KeyCodeName kKeyCodeNames[] = {
    {kKeyBackspace, "backspace"}, {kKeyTab, "tab"}, {kKeyClear, "clear"}, {kKeyEnter, "enter"},
    {kKeyPause, "pause"}, {kKeyEscape, "escape"}, {kKeySpace, "space"}, {kKeyExclaim, "exclaim"},
    {kKeyQuoteDouble, "quotedbl"}, {kKeyHash, "hash"}, {kKeyDollar, "dollar"}, {kKeyAmpersand, "ampersand"},
    {kKeyQuote, "quote"}, {kKeyLeftParen, "leftparen"}, {kKeyRightParen, "rightparen"},
    {kKeyAsterisk, "asterisk"}, {kKeyPlus, "plus"}, {kKeyComma, "comma"}, {kKeyMinus, "minus"},
    {kKeyPeriod, "period"}, {kKeySlash, "slash"}, {kKey0, "0"}, {kKey1, "1"}, {kKey2, "2"}, {kKey3, "3"},
    {kKey4, "4"}, {kKey5, "5"}, {kKey6, "6"}, {kKey7, "7"}, {kKey8, "8"}, {kKey9, "9"}, {kKeyColon, "colon"},
    {kKeySemicolon, "semicolon"}, {kKeyLess, "less"}, {kKeyEquals, "equals"}, {kKeyGreater, "greater"},
    {kKeyQuestion, "question"}, {kKeyAt, "at"}, {kKeyLeftBracket, "leftbracket"},
    {kKeyBackslash, "backslash"}, {kKeyRightBracket, "rightbracket"}, {kKeyCaret, "caret"},
    {kKeyUnderscore, "underscore"}, {kKeyBackquote, "backquote"}, {kKeyA, "a"}, {kKeyB, "b"}, {kKeyC, "c"},
    {kKeyD, "d"}, {kKeyE, "e"}, {kKeyF, "f"}, {kKeyG, "g"}, {kKeyH, "h"}, {kKeyI, "i"}, {kKeyJ, "j"},
    {kKeyK, "k"}, {kKeyL, "l"}, {kKeyM, "m"}, {kKeyN, "n"}, {kKeyO, "o"}, {kKeyP, "p"}, {kKeyQ, "q"},
    {kKeyR, "r"}, {kKeyS, "s"}, {kKeyT, "t"}, {kKeyU, "u"}, {kKeyV, "v"}, {kKeyW, "w"}, {kKeyX, "x"},
    {kKeyY, "y"}, {kKeyZ, "z"}, {kKeyDelete, "delete"}, {kKeyKeypad0, "keypad0"}, {kKeyKeypad1, "keypad1"},
    {kKeyKeypad2, "keypad2"}, {kKeyKeypad3, "keypad3"}, {kKeyKeypad4, "keypad4"}, {kKeyKeypad5, "keypad5"},
    {kKeyKeypad6, "keypad6"}, {kKeyKeypad7, "keypad7"}, {kKeyKeypad8, "keypad8"}, {kKeyKeypad9, "keypad9"},
    {kKeyKeypadPeriod, "keypad_period"}, {kKeyKeypadDivide, "keypad_divide"},
    {kKeyKeypadMultiply, "keypad_multiply"}, {kKeyKeypadMinus, "keypad_minus"},
    {kKeyKeypadPlus, "keypad_plus"}, {kKeyKeypadEnter, "keypad_enter"}, {kKeyKeypadEquals, "keypad_equals"},
    {kKeyUp, "up"}, {kKeyDown, "down"}, {kKeyRight, "right"}, {kKeyLeft, "left"}, {kKeyInsert, "insert"},
    {kKeyHome, "home"}, {kKeyEnd, "end"}, {kKeyPageUp, "pageup"}, {kKeyPageDown, "pagedown"}, {kKeyF1, "f1"},
    {kKeyF2, "f2"}, {kKeyF3, "f3"}, {kKeyF4, "f4"}, {kKeyF5, "f5"}, {kKeyF6, "f6"}, {kKeyF7, "f7"},
    {kKeyF8, "f8"}, {kKeyF9, "f9"}, {kKeyF10, "f10"}, {kKeyF11, "f11"}, {kKeyF12, "f12"}, {kKeyF13, "f13"},
    {kKeyF14, "f14"}, {kKeyF15, "f15"}, {kKeyNumLock, "numlock"}, {kKeyCapsLock, "capslock"},
    {kKeyScrollLock, "scrolllock"}, {kKeyRightShift, "rightshift"}, {kKeyLeftShift, "leftshift"},
    {kKeyRightControl, "rightcontrol"}, {kKeyLeftControl, "leftcontrol"}, {kKeyRightAlt, "rightalt"},
    {kKeyLeftAlt, "leftalt"}, {kKeyRightMeta, "rightmeta"}, {kKeyLeftMeta, "leftmeta"},
    {kKeyLeftSuper, "leftsuper"}, {kKeyRightSuper, "rightsuper"}, {kKeyMode, "mode"},
    {kKeyCompose, "compose"}, {kKeyHelp, "help"}, {kKeyPrintScreen, "printscreen"}, {kKeySysReq, "sysreq"},
    {kKeyBreak, "break"}, {kKeyContextMenu, "contextmenu"}, {kKeyPower, "power"}, {kKeyEuro, "euro"},
    {kKeyUndo, "undo"}, {kKeyBrowserBack, "browser_back"}, {kKeyBrowserForward, "browser_forward"},
    {kKeyBrowserRefresh, "browser_refresh"}, {kKeyBrowserStop, "browser_stop"},
    {kKeyBrowserSearch, "browser_search"}, {kKeyBrowserFavorites, "browser_favorites"},
    {kKeyBrowserHome, "browser_home"}, {kMouseLeft, "mouse1"}, {kMouseRight, "mouse2"},
    {kMouseMiddle, "mouse3"}, {kMouseExtra, "mouse4"}, {kMouseExtraSecond, "mouse5"},
    {kMouseDoubleClick, "doubleclick"},
};
