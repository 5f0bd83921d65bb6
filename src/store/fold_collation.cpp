#include "store/fold_collation.h"

#include <dlfcn.h>
#include <sqlite3.h>
#include <syslog.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <unicode/uvernum.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace tarvelo::store::detail {

namespace {

std::string_view withoutTrailingBlanks(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

#define TARVELO_TEXT(x) #x
#define TARVELO_NAME(x) TARVELO_TEXT(x)

// ICU's simple case folding, loaded the first time a character beyond ASCII is compared. The run log's
// keys hold ASCII only, so its writer (the watcher, started with every program) never loads ICU at all;
// the programs that compare names and descriptions load it on their first such comparison, or have it
// loaded already through Qt. The library and the symbol are those of the ICU the program was built with,
// so the folding is exactly the one a linked ICU would give.
using FoldCase = decltype(&u_foldCase);

FoldCase loadFoldCase() {
    void* library = ::dlopen("libicuuc.so." TARVELO_NAME(U_ICU_VERSION_MAJOR_NUM), RTLD_NOW | RTLD_LOCAL);
    auto* fold = library ? reinterpret_cast<FoldCase>(::dlsym(library, TARVELO_NAME(u_foldCase))) : nullptr;
    if (!fold) {
        // ICU comes with Qt, so this is a broken installation. Comparing unfolded instead would order keys
        // unlike every other program on the file and leave its indexes out of order for them: stop, as a
        // program linked against a missing library would. A transaction under way is not committed, and
        // the next program to open the file rolls it back.
        const char* error = ::dlerror();
        const char* why = error ? error : "no such library";
        std::fprintf(stderr, "tarvelo96: ICU's case folding cannot be loaded (%s)\n", why);
        ::syslog(LOG_USER | LOG_ERR, "tarvelo96: ICU's case folding cannot be loaded (%s)", why);
        std::_Exit(EXIT_FAILURE);
    }
    return fold;
}

std::int32_t foldCodePoint(std::int32_t c) {
    static std::once_flag loaded;
    static FoldCase fold = nullptr;
    std::call_once(loaded, [] { fold = loadFoldCase(); });
    return fold ? fold(c, U_FOLD_CASE_DEFAULT) : c;
}

// The folded code point at s[i], advancing i past it.
std::int32_t nextFolded(std::string_view s, std::int32_t& i) {
    const auto byte = static_cast<unsigned char>(s[i]);
    if (byte < 0x80) {
        ++i;
        return (byte >= 'A' && byte <= 'Z') ? byte + ('a' - 'A') : byte;
    }
    const std::int32_t start = i;
    UChar32 c;
    U8_NEXT(reinterpret_cast<const std::uint8_t*>(s.data()), i, static_cast<std::int32_t>(s.size()), c);
    if (c < 0) {
        i = start + 1;
        return 0x110000 + byte;  // beyond every code point
    }
    return foldCodePoint(c);
}

int collate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return foldCompare(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                       std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

}  // namespace

int foldCompare(std::string_view a, std::string_view b) {
    a = withoutTrailingBlanks(a);
    b = withoutTrailingBlanks(b);
    std::int32_t i = 0;
    std::int32_t j = 0;
    const auto na = static_cast<std::int32_t>(a.size());
    const auto nb = static_cast<std::int32_t>(b.size());
    // Keys are mostly ASCII: compared byte by byte until the first byte that is not, with no decoding.
    while (i < na && i < nb) {
        const auto ba = static_cast<unsigned char>(a[i]);
        const auto bb = static_cast<unsigned char>(b[i]);
        if ((ba | bb) >= 0x80) break;
        if (ba != bb) {
            const int fa = (ba >= 'A' && ba <= 'Z') ? ba + ('a' - 'A') : ba;
            const int fb = (bb >= 'A' && bb <= 'Z') ? bb + ('a' - 'A') : bb;
            if (fa != fb) return fa < fb ? -1 : 1;
        }
        ++i;
    }
    j = i;
    while (i < na && j < nb) {
        const std::int32_t ca = nextFolded(a, i);
        const std::int32_t cb = nextFolded(b, j);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < na) return 1;
    if (j < nb) return -1;
    return 0;
}

int registerFoldCollation(sqlite3* db) {
    return sqlite3_create_collation_v2(db, kFoldCollation, SQLITE_UTF8, nullptr, &collate, nullptr);
}

}  // namespace tarvelo::store::detail
