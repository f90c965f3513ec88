// The model table: model identifier to the model name that the report shows when the online
// lookup gives none.
#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

#include "report/report.h"

namespace mdx {
namespace {

struct ModelRow {
    std::string_view Identifier;
    std::string_view Name;
};

constexpr ModelRow ModelTable[] = {
    {"Macmini3,1", "Mac Mini (Early 2009)"},
    {"Macmini4,1", "Mac Mini (Mid 2010)"},
    {"Macmini5,1", "Mac Mini (Mid 2011)"},
    {"Macmini5,2", "Mac Mini (Mid 2011)"},
    {"Macmini5,3", "Mac Mini (Mid 2011)"},
    {"Macmini6,1", "Mac Mini (Late 2012)"},
    {"Macmini6,2", "Mac Mini (Late 2012)"},
    {"Macmini7,1", "Mac Mini (Late 2014)"},
    {"Macmini8,1", "Mac Mini (2018)"},
    {"Macmini9,1", "Mac Mini (2020)"},
    {"MacPro1,1", "Mac Pro (Mid 2006)"},
    {"MacPro2,1", "Mac Pro (Early 2007)"},
    {"MacPro3,1", "Mac Pro (Early 2008)"},
    {"MacPro4,1", "Mac Pro (Early 2009)"},
    {"MacPro5,1", "Mac Pro (Mid 2010)"},
    {"MacPro6,1", "Mac Pro (Late 2013)"},
    {"MacPro7,1", "Mac Pro (2019)"},
    {"Xserve3,1", "Xserve (Early 2009)"},
    {"iMac7,1", "iMac (Mid 2007)"},
    {"iMac8,1", "iMac (Early 2008)"},
    {"iMac9,1", "iMac (Early 2009)"},
    {"iMac10,1", "iMac (Late 2009)"},
    {"iMac11,1", "iMac (Late 2009)"},
    {"iMac11,2", "iMac (Mid 2010)"},
    {"iMac11,3", "iMac (Mid 2010)"},
    {"iMac12,1", "iMac (Mid 2011)"},
    {"iMac12,2", "iMac (Mid 2011)"},
    {"iMac13,1", "iMac (Late 2012)"},
    {"iMac13,2", "iMac (Late 2012)"},
    {"iMac14,1", "iMac (Late 2013)"},
    {"iMac14,2", "iMac (Late 2013)"},
    {"iMac14,3", "iMac (Late 2013)"},
    {"iMac14,4", "iMac (Mid 2014)"},
    {"iMac15,1", "iMac (Retina 5K, Late 2014)"},
    {"iMac16,1", "iMac (Late 2015)"},
    {"iMac16,2", "iMac (Retina 4K, Late 2015)"},
    {"iMac17,1", "iMac (Retina 5K, Late 2015)"},
    {"MacBookAir2,1", "MacBook Air (Late 2008)"},
    {"MacBookAir3,1", "MacBook Air (Late 2010)"},
    {"MacBookAir3,2", "MacBook Air (Late 2010)"},
    {"MacBookAir4,1", "MacBook Air (Mid 2011)"},
    {"MacBookAir4,2", "MacBook Air (Mid 2011)"},
    {"MacBookAir5,1", "MacBook Air (Mid 2012)"},
    {"MacBookAir5,2", "MacBook Air (Mid 2012)"},
    {"MacBookAir6,1", "MacBook Air (Mid 2013)"},
    {"MacBookAir6,2", "MacBook Air (Mid 2013)"},
    {"MacBookAir7,1", "MacBook Air (Early 2015)"},
    {"MacBookAir7,2", "MacBook Air (Early 2015)"},
    {"MacBookAir8,1", "MacBook Air (2018)"},
    {"MacBookAir8,2", "MacBook Air (2019)"},
    {"MacBookAir9,1", "MacBook Air (2020)"},
    {"MacBookAir10,1", "MacBook Air (2020, M1)"},
    {"MacBook5,1", "MacBook (Late 2008)"},
    {"MacBook5,2", "MacBook (Early 2009)"},
    {"MacBook6,1", "MacBook (Late 2009)"},
    {"MacBook7,1", "MacBook (Mid 2010)"},
    {"MacBook8,1", "MacBook (Retina, Early 2015)"},
    {"MacBook9,1", "MacBook (Retina, Early 2016)"},
    {"MacBookPro3,1", "MacBook Pro (Mid 2007)"},
    {"MacBookPro4,1", "MacBook Pro (Early 2008)"},
    {"MacBookPro5,1", "MacBook Pro (Late 2008)"},
    {"MacBookPro5,2", "MacBook Pro (Early 2009)"},
    {"MacBookPro5,3", "MacBook Pro (Mid 2009)"},
    {"MacBookPro5,4", "MacBook Pro (Mid 2009)"},
    {"MacBookPro5,5", "MacBook Pro (Mid 2009)"},
    {"MacBookPro6,1", "MacBook Pro (Mid 2010)"},
    {"MacBookPro6,2", "MacBook Pro (Mid 2010)"},
    {"MacBookPro7,1", "MacBook Pro (Mid 2010)"},
    {"MacBookPro8,1", "MacBook Pro (Early 2011)"},
    {"MacBookPro8,2", "MacBook Pro (Early 2011)"},
    {"MacBookPro8,3", "MacBook Pro (Early 2011)"},
    {"MacBookPro9,1", "MacBook Pro (Mid 2012)"},
    {"MacBookPro9,2", "MacBook Pro (Mid 2012)"},
    {"MacBookPro10,1", "MacBook Pro (Retina, Mid 2012)"},
    {"MacBookPro10,2", "MacBook Pro (Retina, Late 2012)"},
    {"MacBookPro11,1", "MacBook Pro (Retina, Late 2013)"},
    {"MacBookPro11,2", "MacBook Pro (Retina, Mid 2014)"},
    {"MacBookPro11,3", "MacBook Pro (Retina, Mid 2014)"},
    {"MacBookPro11,4", "MacBook Pro (Retina, Mid 2015)"},
    {"MacBookPro11,5", "MacBook Pro (Retina, Mid 2015)"},
    {"MacBookPro12,1", "MacBook Pro (Retina, Early 2015)"},
    {"MacBookPro13,1", "MacBook Pro (13-inch, 2016, 2 x TB3)"},
    {"MacBookPro13,2", "MacBook Pro (13-inch, 2016, 4 x TB3)"},
    {"MacBookPro13,3", "MacBook Pro (15-inch, 2016)"},
    {"MacBookPro14,1", "MacBook Pro (13-inch, 2017, 2 x TB3)"},
    {"MacBookPro14,2", "MacBook Pro (13-inch, 2017, 4 x TB3)"},
    {"MacBookPro14,3", "MacBook Pro (15-inch, 2017)"},
    {"MacBookPro15,1", "MacBook Pro (15-inch, 2019)"},
    {"MacBookPro15,3", "MacBook Pro (15-inch, 2019)"},
    {"MacBookPro15,2", "MacBook Pro (13-inch, 2019, 4 x TB3)"},
    {"MacBookPro15,4", "MacBook Pro (13-inch, 2019, 2 x TB3)"},
    {"MacBookPro16,1", "MacBook Pro (16-inch, 2019)"},
    {"MacBookPro16,4", "MacBook Pro (16-inch, 2019)"},
    {"MacBookPro16,2", "MacBook Pro (13-inch, 2020, 4 x TB3)"},
    {"MacBookPro16,3", "MacBook Pro (13-inch, 2019, 2 x TB3)"},
    {"MacBookPro17,1", "MacBook Pro (13-inch, 2020, 2 x TB3, M1)"},
    {"MacBookPro18,1", "MacBook Pro (16-inch, 2021, 3 x TB4, M1 Pro)"},
    {"MacBookPro18,2", "MacBook Pro (16-inch, 2021, 3 x TB4, M1 Pro)"},
    {"MacBookPro18,3", "MacBook Pro (14-inch, 2021, 3 x TB4, M1 Pro)"},
    {"MacBookPro18,4", "MacBook Pro (14-inch, 2021, 3 x TB4, M1 Pro)"},
};

// The letters before the first digit: the family of an identifier such as "MacBookPro13,2".
std::string_view familyof(std::string_view identifier) {
    const std::size_t digit = identifier.find_first_of("0123456789");
    return identifier.substr(0, digit == std::string_view::npos ? identifier.size() : digit);
}

bool isnumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Family, major number, comma, minor number, with a family that the table knows.
bool hasidentifierform(std::string_view identifier) {
    const std::string_view family = familyof(identifier);
    const std::string_view numbers = identifier.substr(family.size());
    const std::size_t comma = numbers.find(',');
    if (family.empty() || comma == std::string_view::npos) return false;
    if (!isnumber(numbers.substr(0, comma)) || !isnumber(numbers.substr(comma + 1))) return false;
    // A virtual machine of the Parallels kind runs on one of the table's machines, whose serial
    // number it reports.
    if (family == "Parallels") return true;
    return std::any_of(std::begin(ModelTable), std::end(ModelTable),
                       [&](const ModelRow& r) { return familyof(r.Identifier) == family; });
}

} // namespace

bool ownmodelidentifier(const std::string& identifier) {
    return !modeltablename(identifier).empty() || hasidentifierform(identifier);
}

std::string modeltablename(const std::string& identifier) {
    const auto row = std::find_if(std::begin(ModelTable), std::end(ModelTable),
                                  [&](const ModelRow& r) { return r.Identifier == identifier; });
    return row == std::end(ModelTable) ? "" : std::string(row->Name);
}

} // namespace mdx
