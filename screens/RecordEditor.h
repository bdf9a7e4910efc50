#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "screens/InputError.h"
#include "screens/TypedInput.h"

namespace zelvorin {

// One record edited field by field, as an editor screen holds it: each editable field has a
// setter that checks the typed value and applies it. A refused value leaves the record as it was.
// The state is plain values; `onChange` runs after every accepted change (a view repaints).
template <class Record>
class RecordEditor {
public:
    using Setter = std::function<void(Record&, const std::string& typed)>;
    using Setters = std::map<std::string, Setter>;

    explicit RecordEditor(const Setters& setters) : setters_(setters) {}

    void begin(Record record) {
        record_ = std::move(record);
        changed_.clear();
        notify();
    }
    // Throws InputError: unknownField naming the known fields, or the setter's refusal.
    void set(const std::string& field, const std::string& typed) {
        const auto setter = setters_.find(field);
        if (setter == setters_.end()) {
            throw InputError(
                InputError::Kind::unknownField,
                "Onbekend veld '" + field + "'. Bekende velden: " + choiceList(fieldNames()) + ".");
        }
        Record edited = record_;
        setter->second(edited, typed);
        record_ = std::move(edited);
        if (std::find(changed_.begin(), changed_.end(), field) == changed_.end()) changed_.push_back(field);
        notify();
    }

    const Record& record() const { return record_; }
    // The fields set since begin(), in the order they were first set.
    const std::vector<std::string>& changedFields() const { return changed_; }
    std::vector<std::string> fieldNames() const {
        std::vector<std::string> names;
        for (const auto& [name, setter] : setters_)
            names.push_back(name);
        return names;
    }
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    void notify() {
        if (onChange_) onChange_();
    }

    const Setters& setters_;
    Record record_;
    std::vector<std::string> changed_;
    std::function<void()> onChange_;
};

}  // namespace zelvorin
