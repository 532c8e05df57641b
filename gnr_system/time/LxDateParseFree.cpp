// Free-form dates and times: the words of the day ("today", "noon", ...,
// translated), then tokens that are numbers, month and weekday names or
// ordinal words.
#include <climits>

#include "gnr_system/intl/LxLocale.h"
#include "gnr_system/string/LxStringTokenizer.h"
#include "gnr_system/time/LxDateTimeInternal.h"
#include "w32_system/LxStrHelpers.h"

using namespace lx_time;

namespace
{
// The translated word when the text begins with it (without regard to
// case): its length, else 0.
int StartsWithWord(const char16_t* text, const char16_t* englishWord)
{
    const char16_t* word = LX_GetTranslation(englishWord, kDomain);
    const size_t n = word ? lx_wcslen(word) : 0;
    return n > 0 && LX_wcsnicmp(text, word, n) == 0 ? int(n) : 0;
}

// A token of decimal digits as a number; false for anything else or a
// number beyond int.
bool TokenNumber(const CLxStringW& token, int& n)
{
    if (token.IsEmpty() || token.GetLength() > 10)
        return false;
    int64_t value = 0;
    for (int i = 0; i < token.GetLength(); ++i) {
        if (token[i] < u'0' || token[i] > u'9')
            return false;
        value = value * 10 + (token[i] - u'0');
    }
    if (value > INT_MAX)
        return false;
    n = int(value);
    return true;
}

// Month or weekday by its full or abbreviated name: the index, or -1.
template <class Names> int NameIndex(const CLxStringW& token, int count, Names names)
{
    for (int i = 0; i < count; ++i)
        if (LX_wcsicmp(token, names(i, CLxDateTime::Name_Full)) == 0 ||
            LX_wcsicmp(token, names(i, CLxDateTime::Name_Abbr)) == 0)
            return i;
    return -1;
}

// "first" ... "twentieth": 1 ... 20, else 0.
int OrdinalDay(const CLxStringW& token)
{
    static const char16_t* const kOrdinals[] = {
        u"first",     u"second",      u"third",      u"fourth",     u"fifth",
        u"sixth",     u"seventh",     u"eighth",     u"ninth",      u"tenth",
        u"eleventh",  u"twelfth",     u"thirteenth", u"fourteenth", u"fifteenth",
        u"sixteenth", u"seventeenth", u"eighteenth", u"nineteenth", u"twentieth",
    };
    for (int i = 0; i < 20; ++i)
        if (LX_wcsicmp(token, kOrdinals[i]) == 0)
            return i + 1;
    return 0;
}

// What the tokens of a date told.
struct SDateTokens {
    int day = 0, month = 0, year = 0, weekDay = 0;
    bool haveDay = false, haveMonth = false, haveYear = false, haveWeekDay = false;
    // The month came from a number 1-12 and may yet turn out to be the day.
    bool monthGuessed = false;
};

// Takes one token; false when it ends the scan (it is then not used).
bool Classify(const CLxStringW& token, SDateTokens& t)
{
    int n = 0;
    if (TokenNumber(token, n)) {
        int limit = 31;
        if (t.haveMonth) {
            limit = CLxDateTime::GetNumberOfDays(CLxDateTime::Month(t.month),
                                                 t.haveYear ? t.year : CLxDateTime::Inv_Year);
        } else if (n >= 1 && n <= 12) {
            t.month = n - 1;
            t.haveMonth = t.monthGuessed = true;
            return true;
        }
        if (n == 0 || n > limit) {
            if (t.haveYear)
                return false;
            t.year = n;
            return t.haveYear = true;
        }
        if (t.haveDay)
            return false;
        t.day = n;
        return t.haveDay = true;
    }
    const int month = NameIndex(token, 12, [](int i, CLxDateTime::NameFlags f) {
        return CLxDateTime::GetMonthName(CLxDateTime::Month(i), f);
    });
    if (month >= 0) {
        if (t.haveMonth) {
            // "1 Feb": the number first taken as the month was the day.
            if (!t.monthGuessed || t.haveDay)
                return false;
            t.day = t.month + 1;
            t.haveDay = true;
        }
        t.month = month;
        t.monthGuessed = false;
        return t.haveMonth = true;
    }
    const int weekDay = NameIndex(token, 7, [](int i, CLxDateTime::NameFlags f) {
        return CLxDateTime::GetWeekDayName(CLxDateTime::WeekDay(i), f);
    });
    if (weekDay >= 0) {
        if (t.haveWeekDay)
            return false;
        t.weekDay = weekDay;
        return t.haveWeekDay = true;
    }
    const int ordinal = OrdinalDay(token);
    if (ordinal == 0 || t.haveDay)
        return false;
    t.day = ordinal;
    return t.haveDay = true;
}
} // namespace

const char16_t* CLxDateTime::ParseTime(const char16_t* time)
{
    if (!time) {
        LX_TIME_REPORT("time==NULL", "NULL pointer in CLxDateTime::Parse");
        return nullptr;
    }
    static const struct {
        const char16_t* word;
        uint16_t hour;
    } kWords[] = {{u"noon", 12}, {u"midnight", 0}};
    for (const auto& w : kWords)
        if (const int n = StartsWithWord(time, w.word)) {
            Set(w.hour, 0, 0, 0);
            return time + n;
        }
    // The longest fit wins, so that "10:30 PM" is not read as 10:30 by an
    // earlier 24-hour format; among equals the earlier format.
    static const char16_t* const kFormats[] = {u"%X",       u"%H:%M:%S", u"%I:%M:%S %p", u"%H:%M",
                                               u"%I:%M %p", u"%H",       u"%I %p"};
    const char16_t* best = nullptr;
    CLxDateTime bestDate;
    for (const char16_t* format : kFormats) {
        CLxDateTime trial;
        const char16_t* end = trial.ParseFormat(time, format, CLxDateTime());
        if (end && (!best || end > best)) {
            best = end;
            bestDate = trial;
        }
    }
    if (best)
        *this = bestDate;
    return best;
}

const char16_t* CLxDateTime::ParseDate(const char16_t* date)
{
    if (!date) {
        LX_TIME_REPORT("date==NULL", "NULL pointer in CLxDateTime::Parse");
        return nullptr;
    }
    const char16_t* text = date;
    while (*text == u' ' || (*text >= u'\t' && *text <= u'\r'))
        ++text;

    static const struct {
        const char16_t* word;
        int days;
    } kWords[] = {{u"today", 0}, {u"yesterday", -1}, {u"tomorrow", 1}};
    for (const auto& w : kWords)
        if (const int n = StartsWithWord(text, w.word)) {
            *this = Today();
            Add(CLxDateSpan::Days(w.days));
            return text + n;
        }

    // Separators in a row ("Tue, 1 Feb") make empty tokens, which are
    // skipped.
    const int length = int(lx_wcslen(text));
    CLxStringTokenizer tokens(text, u".,/-\t\n ");
    SDateTokens t;
    int position = 0, consumed = 0;
    while (tokens.HasMoreTokens()) {
        const CLxStringW token = tokens.GetNextToken();
        const int end = position + token.GetLength();
        position = end < length ? end + 1 : end;
        if (token.IsEmpty())
            continue;
        if (!Classify(token, t))
            break;
        consumed = end;
    }

    const int currentYear = GetCurrentYear();
    if (t.haveDay && t.haveYear && !t.haveMonth) {
        // "12 5": month and day of the current year.
        if (t.day > 12)
            return nullptr;
        t.month = t.day - 1;
        if (t.year < 1 || t.year > GetNumberOfDays(Month(t.month), currentYear))
            return nullptr;
        t.day = t.year;
        t.year = currentYear;
        t.haveMonth = true;
    }
    if (t.haveDay) {
        const Month month = t.haveMonth ? Month(t.month) : GetCurrentMonth();
        const int year = t.haveYear ? t.year : currentYear;
        int64_t value = 0;
        if (t.day > GetNumberOfDays(month, year) ||
            LocalToValue(t.day, month, year, 0, 0, 0, 0, value) != SetFault::None)
            return nullptr;
        m_value = value;
        if (t.haveWeekDay && GetWeekDay() != t.weekDay)
            LX_TIME_REPORT("GetWeekDay() != wday", "ParseDate: inconsistent day/weekday.");
        return text + consumed;
    }
    // A weekday alone is this week's; a month or year without a day is no
    // date.
    if (t.haveWeekDay && !t.haveMonth && !t.haveYear) {
        *this = Today();
        SetToWeekDayInSameWeek(WeekDay(t.weekDay));
        return text + consumed;
    }
    return nullptr;
}
