#include "app/statecatalogue.h"

#include <array>

namespace wagetrove {
namespace {

const std::array<StateEntry, 13>& entries()
{
    static const std::array<StateEntry, 13> list = {{
        {QStringLiteral("Connecticut"), 10, QStringLiteral("CT09"), QStringLiteral("Connecticut")},
        {QStringLiteral("Florida"), 8, QStringLiteral("FL12"), QStringLiteral("Florida")},
        {QStringLiteral("Illinois"), 4, QStringLiteral("IL17"), QStringLiteral("Illinois")},
        {QStringLiteral("Kentucky"), 2, QStringLiteral("KY21"), QStringLiteral("Kentucky")},
        {QStringLiteral("Maryland"), 3, QStringLiteral("MD24"), QStringLiteral("Maryland")},
        {QStringLiteral("Massachusetts Employment Wage - Quest"), 6, QStringLiteral("MA25"),
         QStringLiteral("Massachusetts Quest")},
        {QStringLiteral("Massachusetts PFML"), 9, QStringLiteral("MA25"), QStringLiteral("Massachusetts PFML")},
        {QStringLiteral("Mississippi"), 5, QStringLiteral("MS28"), QStringLiteral("Mississippi")},
        {QStringLiteral("North Carolina NCUI 101"), 11, QStringLiteral("NC37"), QStringLiteral("North Carolina")},
        {QStringLiteral("South Carolina"), 7, QStringLiteral("SC45"), QStringLiteral("South Carolina")},
        {QStringLiteral("Tennessee"), 12, QStringLiteral("TN47"), QStringLiteral("Tennessee")},
        {QStringLiteral("Texas"), 1, QStringLiteral("TX48"), QStringLiteral("Texas")},
        {QStringLiteral("Washington State CSV File"), 13, QStringLiteral("WA53"), QStringLiteral("Washington")},
    }};
    return list;
}

} // namespace

std::span<const StateEntry> stateCatalogue()
{
    return entries();
}

bool isStatePosition(int position)
{
    return position >= 0 && position < static_cast<int>(entries().size());
}

const StateEntry& stateAt(int position)
{
    return entries()[isStatePosition(position) ? static_cast<std::size_t>(position) : 0];
}

QString stateCodeFor(int itemData)
{
    for (const StateEntry& entry : entries()) {
        if (entry.itemData == itemData) {
            return entry.code;
        }
    }
    return {};
}

int positionOf(StateItem item)
{
    const auto list = entries();
    for (std::size_t position = 0; position < list.size(); ++position) {
        if (list[position].item() == item) {
            return static_cast<int>(position);
        }
    }
    return 0;
}

} // namespace wagetrove
