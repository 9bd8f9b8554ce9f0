#include "settings/setting_item.h"

bool IntSetting::Set(int value) {
    if (value == m_value) return false;
    m_value = value;
    IniWriteInt(m_key.c_str(), value);
    return true;
}

void IntSetting::Write(int value) {
    m_value = value;
    IniWriteInt(m_key.c_str(), value);
}

int IntSetting::Load() {
    m_value = m_range.Clamp(IniReadInt(kProgramSection, m_key.c_str(), m_value, -1, -1, SettingsPath()));
    return m_value;
}

bool TextSetting::Set(const std::wstring& value) {
    if (value == m_value) return false;
    m_value = value;
    if (m_storage == Storage::kEncoded) {
        IniWriteEncoded(m_key.c_str(), value);
    } else {
        IniWriteText(m_key.c_str(), value);
    }
    return true;
}

const std::wstring& TextSetting::Load(unsigned capacity) {
    if (m_storage == Storage::kEncoded) {
        m_value = IniReadEncoded(m_key.c_str(), capacity);
    } else {
        IniReadText(m_key.c_str(), m_value, capacity);
    }
    return m_value;
}
