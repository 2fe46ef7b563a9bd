#include "export/disk_text.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace {

void append_v(std::string& out, const char* format, va_list args) {
    char small[256];
    va_list again;
    va_copy(again, args);
    int needed = vsnprintf(small, sizeof small, format, args);
    if (needed >= 0 && static_cast<size_t>(needed) < sizeof small) {
        out.append(small, static_cast<size_t>(needed));
    } else if (needed >= 0) {
        std::vector<char> big(static_cast<size_t>(needed) + 1);
        vsnprintf(big.data(), big.size(), format, again);
        out.append(big.data(), static_cast<size_t>(needed));
    }
    va_end(again);
}

// The "C" locale for this thread while alive; the user's locale is back afterwards.
class c_locale_scope {
  public:
    c_locale_scope() {
        static locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        previous_ = c_locale ? uselocale(c_locale) : static_cast<locale_t>(0);
    }
    ~c_locale_scope() {
        if (previous_) uselocale(previous_);
    }
    c_locale_scope(const c_locale_scope&) = delete;
    c_locale_scope& operator=(const c_locale_scope&) = delete;

  private:
    locale_t previous_;
};

} // namespace

void append_c(std::string& out, const char* format, ...) {
    c_locale_scope scope;
    va_list args;
    va_start(args, format);
    append_v(out, format, args);
    va_end(args);
}

void append_local(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    append_v(out, format, args);
    va_end(args);
}
