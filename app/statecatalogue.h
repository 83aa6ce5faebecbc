#pragma once

#include <QString>

#include <span>

namespace wagetrove {

/// The tag each entry of the state list carries; every state-dependent branch tests it.
enum class StateItem
{
    Texas = 1,
    Kentucky = 2,
    Maryland = 3,
    Illinois = 4,
    Mississippi = 5,
    MassachusettsQuest = 6,
    SouthCarolina = 7,
    Florida = 8,
    MassachusettsPFML = 9,
    Connecticut = 10,
    NorthCarolina = 11,
    Tennessee = 12,
    Washington = 13,
};

struct StateEntry
{
    QString text; ///< as shown in the list
    int itemData; ///< the entry's tag (StateItem)
    QString code; ///< postal abbreviation and FIPS code, e.g. "TX48"
    QString name; ///< the report's name in a sentence, e.g. "Massachusetts PFML"

    QString abbreviation() const { return code.left(2); }
    QString fips() const { return code.right(2); }
    StateItem item() const { return static_cast<StateItem>(itemData); }
};

/// The thirteen entries of the state list, in list order.
std::span<const StateEntry> stateCatalogue();

/// Whether a list position names an entry.
bool isStatePosition(int position);

/// The entry at a list position; position 0 for a position outside the list.
const StateEntry& stateAt(int position);

/// The list position of the entry tagged `item`; 0 for a tag no entry carries.
int positionOf(StateItem item);

/// The state code kept for an ItemData tag (1 to 13), or empty for any other index.
QString stateCodeFor(int itemData);

} // namespace wagetrove
