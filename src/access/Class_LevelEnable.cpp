#include <ZAV_PrjLogin/AutomationError.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>

#include <algorithm>

namespace {
void checkCustomIndex(int index) {
    if (index < 1 || index > Class_LevelEnable::CustomCount) {
        throw AutomationError(zav::ErrSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    }
}
} // namespace

Class_LevelEnable::Class_LevelEnable(Token) {}
Class_LevelEnable::~Class_LevelEnable() = default;

std::shared_ptr<Class_LevelEnable> Class_LevelEnable::create() {
    return std::make_shared<Class_LevelEnable>(Token{});
}

bool Class_LevelEnable::AllowCustom(int index) const {
    checkCustomIndex(index);
    return m_custom[static_cast<std::size_t>(index - 1)];
}

void Class_LevelEnable::setAllowCustom(int index, bool value) {
    checkCustomIndex(index);
    m_custom[static_cast<std::size_t>(index - 1)] = value;
}

int Class_LevelEnable::CountCustom() const {
    return static_cast<int>(std::count(m_custom.begin(), m_custom.end(), true));
}
