#include "app/UserDefaults.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace zelvorin {

UserDefaults::UserDefaults(std::filesystem::path file, Diagnostic diagnostic)
    : file_(std::move(file)), diagnostic_(std::move(diagnostic)) {
    load();
}

void UserDefaults::load() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;  // first start: nothing stored yet
    std::ostringstream buffer;
    buffer << in.rdbuf();
    nlohmann::json parsed = nlohmann::json::parse(buffer.str(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) {
        values_ = std::move(parsed);
        return;
    }
    if (diagnostic_) {
        diagnostic_("[AppEnvironment] Instellingenbestand " + file_.string() +
                    " is geen geldige JSON; het wordt vervangen.");
    }
    values_ = nlohmann::json::object();
    std::lock_guard lock(mutex_);
    save();
}

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<bool> UserDefaults::boolean(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end() || !it->is_boolean()) return std::nullopt;
    return it->get<bool>();
}

void UserDefaults::set(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    save();
}

void UserDefaults::set(const std::string& key, bool value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    save();
}

void UserDefaults::save() const {
    makePrivateFolder(file_.parent_path());
    writePrivateFileAtomically(file_, values_.dump(2) + "\n");
}

UserDefaults::PendingChange UserDefaults::stage(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    makePrivateFolder(file_.parent_path());
    nlohmann::json changed = values_;
    changed[key] = value;
    return PendingChange(*this, key, value, StagedFile(file_, changed.dump(2) + "\n"));
}

void UserDefaults::PendingChange::commit() {
    std::lock_guard lock(owner_.mutex_);
    file_.commit();
    owner_.values_[key_] = value_;
}

}  // namespace zelvorin
