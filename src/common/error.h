#pragma once

#include <QString>
#include <exception>

// Error numbers the routines log or branch on. They keep the numbering operators and support staff
// already know from the station's log files.
namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int InputPastEnd = 62;
inline constexpr int PermissionDenied = 70;
inline constexpr int FileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidUseOfNull = 94;
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int TableNotFound = 3024;
inline constexpr int DiskError = 3043;
inline constexpr int InvalidPath = 3044;
inline constexpr int CannotOpenFile = 3051;
inline constexpr int RecordDeleted = 3167;
inline constexpr int ItemNotFound = 3265;
inline constexpr int BadTable = 3343;
inline constexpr int InvalidValue = 380;
inline constexpr int BackOffice = 3146;
inline constexpr int Internal = 51;
} // namespace ErrorNumber

// The one error type of the system: a number and a description that names the failure. Every
// routine that traps errors logs these two pieces.
class Error : public std::exception {
public:
    Error(int number, QString description);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    static Error overflow();
    static Error invalidUseOfNull();
    static Error noCurrentRecord();
    static Error typeMismatch(const QString& value);

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
