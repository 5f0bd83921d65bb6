#include <cctype>
#include <string>
#include <string_view>

#include "store/store.h"

namespace tarvelo::store {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// SQLite's primary result codes by number, for the driver code shown beside its message.
const char* sqliteCodeName(int primary) {
    static const char* const kNames[] = {
        "SQLITE_OK",       "SQLITE_ERROR",    "SQLITE_INTERNAL", "SQLITE_PERM",     "SQLITE_ABORT",
        "SQLITE_BUSY",     "SQLITE_LOCKED",   "SQLITE_NOMEM",    "SQLITE_READONLY", "SQLITE_INTERRUPT",
        "SQLITE_IOERR",    "SQLITE_CORRUPT",  "SQLITE_NOTFOUND", "SQLITE_FULL",     "SQLITE_CANTOPEN",
        "SQLITE_PROTOCOL", "SQLITE_EMPTY",    "SQLITE_SCHEMA",   "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
        "SQLITE_MISMATCH", "SQLITE_MISUSE",   "SQLITE_NOLFS",    "SQLITE_AUTH",     "SQLITE_FORMAT",
        "SQLITE_RANGE",    "SQLITE_NOTADB",   "SQLITE_NOTICE",   "SQLITE_WARNING",
    };
    if (primary >= 0 && primary < static_cast<int>(std::size(kNames))) return kNames[primary];
    return "SQLITE_UNKNOWN";
}

}  // namespace

std::string codeMessage(int code) {
    switch (code) {
    case kOk: return "";
    case kFileNotFound: return "File Not Found";
    case kAccessDenied: return "Access Denied";
    case kRecordNotAvailable: return "Record Not Available";
    case kRecordNotFound: return "Record Not Found";
    case kDuplicateKey: return "Creates Duplicate Key";
    case kKeyFileMustBeRebuilt: return "Key File Must Be Rebuilt";
    case kInvalidRecordDeclaration: return "Invalid Record Declaration";
    case kFileAlreadyOpen: return "File Already Open";
    case kRecordChanged: return "Record Changed By Another Station";
    case kDriverError: return "Driver Error";
    default: return "Error " + std::to_string(code);
    }
}

Status Status::make(int code) {
    Status s;
    s.code = code;
    s.message = codeMessage(code);
    return s;
}

Status Status::driver(int sqliteCode, std::string sqliteMessage) {
    Status s = make(kDriverError);
    // Extended codes keep their number but are named by their primary code (the low byte).
    s.driverCode = std::string(sqliteCodeName(sqliteCode & 0xff)) + " (" + std::to_string(sqliteCode) + ")";
    s.driverMessage = std::move(sqliteMessage);
    return s;
}

int TableDef::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (equalsIgnoringCase(fields[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

int TableDef::keyIndex(std::string_view name) const {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (equalsIgnoringCase(keys[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace tarvelo::store
