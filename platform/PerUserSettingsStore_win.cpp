#include "platform/PerUserSettingsStore.h"

#include <windows.h>

namespace
{
const QString registryRoot = QStringLiteral("Software\\VB and VBA Program Settings\\");

std::wstring wide(const QString& text)
{
    return text.toStdWString();
}

// The registry keys the monitoring application writes through Visual Basic's SaveSetting:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one string
// value per key. Read only: the store is opened for reading and never written.
class RegistrySettingsStore : public SettingsStore
{
public:
    explicit RegistrySettingsStore(QString application) : m_application(std::move(application))
    {
        HKEY key = nullptr;
        const LSTATUS status = RegOpenKeyExW(
            HKEY_CURRENT_USER, wide(registryRoot + m_application).c_str(), 0, KEY_READ, &key);
        if (status == ERROR_SUCCESS)
            RegCloseKey(key);
        else if (status == ERROR_FILE_NOT_FOUND)
            m_unavailable =
                QStringLiteral("there is no setup in the registry at %1").arg(location());
        else
            m_unavailable = QStringLiteral("cannot read the setup in the registry at %1: %2")
                                .arg(location(), systemMessage(status));
    }

    std::optional<QString> value(const QString& application, const QString& section,
                                 const QString& name) const override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER,
                          wide(registryRoot + application + QLatin1Char('\\') + section).c_str(), 0,
                          KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return std::nullopt;
        std::optional<QString> text = stringValue(key, wide(name));
        RegCloseKey(key);
        return text;
    }
    QString location() const override { return perUserSettingsLocation(m_application); }
    std::optional<QString> unavailable() const override { return m_unavailable; }

private:
    // A string value as stored (REG_SZ; REG_EXPAND_SZ unexpanded, as Visual Basic reads it),
    // without the terminating null. A value of another kind is not one the application wrote:
    // it reads as absent, and the start-up check names the key.
    static std::optional<QString> stringValue(HKEY key, const std::wstring& name)
    {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        text.resize(size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return QString::fromStdWString(text);
    }

    static QString systemMessage(LSTATUS status)
    {
        wchar_t* buffer = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, DWORD(status), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        QString text = length ? QString::fromWCharArray(buffer, length).trimmed()
                              : QStringLiteral("error %1").arg(status);
        LocalFree(buffer);
        return text;
    }

    QString m_application;
    std::optional<QString> m_unavailable;
};
} // namespace

QString perUserSettingsLocation(const QString& application)
{
    return QStringLiteral("HKEY_CURRENT_USER\\") + registryRoot + application;
}

std::unique_ptr<SettingsStore> openPerUserSettingsStore(const QString& application)
{
    return std::make_unique<RegistrySettingsStore>(application);
}
