#pragma once

#include <climits>
#include <string>

#include "settings/ini_file.h"

// One value of the settings file, held in memory while the program runs. Setting a new value
// writes it to the file at once; setting the value it already holds writes nothing. Reading
// uses the held value as the default for a missing key.

// The values an integer setting takes in memory: what its control offers. A value read from the
// file outside them is brought to the nearer end before anything uses it. The file keeps what it
// holds: reading never writes, and the value reaches the file when a control changes it.
struct SettingRange {
    int low = INT_MIN;
    int high = INT_MAX;

    int Clamp(int value) const { return value < low ? low : value > high ? high : value; }
};

class IntSetting {
public:
    IntSetting(std::wstring key, int defaultValue, SettingRange range = {})
        : m_baseKey(std::move(key)), m_key(m_baseKey), m_value(defaultValue), m_range(range) {}

    const std::wstring& Key() const { return m_key; }
    // The key becomes the base key followed by `suffix` (the display slot's suffix).
    void ApplySuffix(const std::wstring& suffix) { m_key = m_baseKey + suffix; }
    int Value() const { return m_value; }

    // Stores and writes `value` unless it is the held value; returns whether it wrote.
    bool Set(int value);
    // Stores and writes `value` also when it is the held value (for choices that must reach the
    // file whatever it holds now).
    void Write(int value);
    // Changes the held value without touching the file (defaults, clamping in memory).
    void Hold(int value) { m_value = value; }
    // Reads the value from the file and holds it within the setting's range.
    int Load();
    const SettingRange& Range() const { return m_range; }

private:
    std::wstring m_baseKey;
    std::wstring m_key;
    int m_value;
    SettingRange m_range;
};

class TextSetting {
public:
    enum class Storage { kPlain, kEncoded };

    TextSetting(std::wstring key, Storage storage = Storage::kPlain)
        : m_baseKey(std::move(key)), m_key(m_baseKey), m_storage(storage) {}

    const std::wstring& Key() const { return m_key; }
    void ApplySuffix(const std::wstring& suffix) { m_key = m_baseKey + suffix; }
    const std::wstring& Value() const { return m_value; }

    bool Set(const std::wstring& value);
    void Hold(const std::wstring& value) { m_value = value; }
    // Reads at most `capacity` - 1 characters of the stored value. An encoded value that does
    // not decode reads as the empty text.
    const std::wstring& Load(unsigned capacity = kIniTextCapacity);

private:
    std::wstring m_baseKey;
    std::wstring m_key;
    Storage m_storage;
    std::wstring m_value;
};
