#include "base/MessageBox.h"
#include "base/ReportedErrors.h"
#include "language/LanguageHooks.h"
#include "language/TextLookup.h"
#include "outside/KeyboardLayout.h"

#include <algorithm>
#include <iterator>

namespace zav::language {

namespace {
struct Sentence {
    int errorNumber;
    short textNumber;
};
// The engine's numbers the operator can meet in a dialog; the others keep their own description.
constexpr Sentence Sentences[] = {
    {3021, 220}, // no current record
    {3022, 221}, // duplicate key
    {3024, 222}, // file not found
    {3027, 223}, // read-only
    {3031, 224}, // wrong password of the file
    {3045, 225}, // file in use
    {3046, 225}, // locked by another user
    {3050, 225}, // could not lock the file
    {3049, 226}, // damaged or not a database
    {3055, 227}, // no valid file name
    {3197, 228}, // level changed elsewhere
    {3201, 229}, // related record required
    {3204, 230}, // database exists
    {3400, 231}, // the login a window was opened for has ended
};
} // namespace

QString ErrorSentence(int number) noexcept {
    const auto* found = std::find_if(std::begin(Sentences), std::end(Sentences),
                                     [number](const Sentence& s) { return s.errorNumber == number; });
    if (found == std::end(Sentences)) {
        return {};
    }
    try {
        return LookupText(found->textNumber, QString());
    } catch (...) {
        return {};
    }
}

QString MessageButtonCaption(int answer) noexcept {
    const short text = answer == vbYes ? 252 : answer == vbNo ? 253 : answer == vbOK ? 251 : 0;
    try {
        return text == 0 ? QString() : LookupText(text, QString());
    } catch (...) {
        return {};
    }
}

void InstallLanguageHooks() {
    outside::setKeyboardLayoutSource(&KeyboardLayoutOfLanguage);
    setErrorSentenceSource(&ErrorSentence);
    setButtonCaptionSource(&MessageButtonCaption);
}

} // namespace zav::language
