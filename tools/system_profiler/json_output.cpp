#include "tools/system_profiler/json_output.h"

// nlohmann::ordered_json keeps the keys in the order they were added, so the JSON names the
// keys in the order the text form prints them, and it escapes quotes, backslashes and control
// bytes as JSON needs.
#include <nlohmann/json.hpp>

#include "tools/system_profiler/number_locale.h"

namespace mdx::sysprof {
namespace {

using Json = nlohmann::ordered_json;

void addfields(Json& object, const std::vector<Field>& fields, char point) {
    for (const Field& field : fields)
        object[field.key] = field.quantity ? withdecimalpoint(field.value, point) : field.value;
}

Json sectionjson(const Section& section, char point) {
    Json object = Json::object();
    object["_name"] = section.name;
    addfields(object, section.fields, point);
    for (const Section& group : section.groups) {
        if (group.fields.empty()) continue; // the text form leaves empty groups out too
        Json groupobject = Json::object();
        addfields(groupobject, group.fields, point);
        object[group.name] = std::move(groupobject);
    }
    if (!section.list.empty()) {
        Json entries = Json::array();
        for (const Section& entry : section.list)
            entries.push_back(sectionjson(entry, point));
        object[section.listtitle] = std::move(entries);
    }
    if (!section.children.empty()) {
        Json children = Json::array();
        for (const Section& child : section.children)
            children.push_back(sectionjson(child, point));
        object["_items"] = std::move(children);
    }
    return object;
}

} // namespace

std::string renderjson(const std::vector<TypeSections>& types, char point) {
    Json document = Json::object();
    for (const auto& [name, sections] : types) {
        Json array = Json::array();
        for (const Section& section : sections)
            array.push_back(sectionjson(section, point));
        document[name] = std::move(array);
    }
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace mdx::sysprof
