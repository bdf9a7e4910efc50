#include "screens/SyncChip.h"

#include <ctime>
#include <type_traits>

#include "screens/DisplayFormats.h"

namespace zelvorin {
namespace {

constexpr const char* kClickToSync = "Klik om nu te synchroniseren.";

std::string clockTime(std::chrono::system_clock::time_point at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[8];
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

std::string counted(std::int64_t count, const std::string& one, const std::string& many) {
    return groupedNumber(count) + " " + (count == 1 ? one : many);
}

}  // namespace

SyncChip syncChip(const SyncDisplayStatus& status) {
    using T = SyncChip::Tone;
    return std::visit(
        [](const auto& s) -> SyncChip {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, SyncDisplayStatus::Synced>) {
                if (!s.lastSyncedAt) return {"Nog niet gesynchroniseerd", kClickToSync, T::calm};
                const std::string last = "Laatst gesynchroniseerd om " + clockTime(*s.lastSyncedAt) + ". ";
                if (s.setAside > 0)
                    return {"Gesynchroniseerd · " + counted(s.setAside, "record apart", "records apart"),
                            last + counted(s.setAside, "record", "records") + " van de dienst " +
                                (s.setAside == 1 ? "past niet in deze versie van Zelvorin en is"
                                                 : "passen niet in deze versie van Zelvorin en zijn") +
                                " apart gezet; de rest is bijgewerkt. Een update van de app lost dit meestal "
                                "op. " +
                                kClickToSync,
                            T::attention};
                return {"Gesynchroniseerd", last + kClickToSync, T::calm};
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Offline>) {
                const std::string waiting =
                    s.pendingCount == 0 ? "Er wachten geen wijzigingen."
                                        : counted(s.pendingCount, "wijziging wacht", "wijzigingen wachten") +
                                              " tot er weer verbinding is.";
                return {s.pendingCount == 0 ? std::string("Offline")
                                            : "Offline · " + counted(s.pendingCount, "wachtend", "wachtend"),
                        "Geen verbinding met de dienst. " + waiting + " " + kClickToSync, T::attention};
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Failed>) {
                return {"Synchronisatie mislukt",
                        s.message + " (om " + clockTime(s.at) + "). " + kClickToSync, T::problem};
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Conflicts>) {
                return {counted(s.count, "conflict", "conflicten"),
                        "Deze wijzigingen botsen met die van een ander apparaat; kies per record welke "
                        "versie blijft. " +
                            std::string(kClickToSync),
                        T::problem};
            } else if constexpr (std::is_same_v<S, SyncDisplayStatus::Syncing>) {
                if (s.pagesPulled == 0)
                    return {"Synchroniseren…", "Wijzigingen worden uitgewisseld met de dienst.", T::busy};
                // A first sync of a large book takes a while: say how far it got.
                const std::string records = counted(s.recordsApplied, "record", "records");
                return {
                    "Synchroniseren… " + records,
                    counted(s.pagesPulled, "pagina", "pagina's") + " opgehaald, " + records + " bijgewerkt.",
                    T::busy};
            } else {
                return {"Wacht op de dienst…",
                        "De dienst vraagt even te wachten; de synchronisatie gaat daarna vanzelf verder.",
                        T::busy};
            }
        },
        status.value);
}

}  // namespace zelvorin
