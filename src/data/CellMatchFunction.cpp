#include "data/CellMatchFunction.h"

#include <exception>

namespace {

QString textOf(sqlite3_value* value) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                             sqlite3_value_bytes(value));
}

}  // namespace

CCellMatchFunction::CCellMatchFunction(sqlite3* handle, const CCellMatcher& matcher,
                                       bool textColumn)
    : m_handle(handle),
      m_matcher(matcher),
      m_text(textColumn),
      m_plain(textColumn && matcher.showsTextAsStored()),
      m_nullMatches(matcher.matchesStored(QVariant())) {
    sqlite3_create_function_v2(handle, kName, 1, SQLITE_UTF8, this, call, nullptr, nullptr,
                               nullptr);
}

CCellMatchFunction::~CCellMatchFunction() {
    sqlite3_create_function_v2(m_handle, kName, 1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr,
                               nullptr);
}

void CCellMatchFunction::call(sqlite3_context* context, int, sqlite3_value** argv) {
    const auto* function = static_cast<const CCellMatchFunction*>(sqlite3_user_data(context));
    try {
        sqlite3_result_int(context, function->matches(argv[0]) ? 1 : 0);
    } catch (const std::exception& e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

bool CCellMatchFunction::matches(sqlite3_value* value) const {
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL)
        return m_nullMatches;
    if (m_plain) {
        // The text is asked for first: the engine may convert the value to text on the way.
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
        return m_matcher.matchesText(QByteArrayView(bytes, sqlite3_value_bytes(value)));
    }
    QVariant stored;
    if (m_text || type == SQLITE_TEXT)
        stored = textOf(value);
    else if (type == SQLITE_INTEGER)
        stored = static_cast<qint64>(sqlite3_value_int64(value));
    else if (type == SQLITE_FLOAT)
        stored = sqlite3_value_double(value);
    else
        stored = QByteArray(static_cast<const char*>(sqlite3_value_blob(value)),
                            sqlite3_value_bytes(value));
    return m_matcher.matchesStored(stored);
}
