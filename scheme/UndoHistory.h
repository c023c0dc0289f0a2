// The scheme's undo history: each step a named change from one scheme state to the next.
// Portable: standard library only.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "ColorScheme.h"

// What one step of the history puts back: the components, the picture (by its path, never its
// pixels) and whether backgrounds are shown.
struct SchemeState {
    std::array<int32_t, kComponentCount> components{};
    std::string backgroundPath;
    std::string backgroundName;
    bool backgroundsShown = false;

    bool operator==(const SchemeState& other) const = default;
};

class UndoHistory {
public:
    static constexpr size_t kDefaultLimit = 1000;

    // Keeps the latest limit steps; the oldest go first (a limit of 0 counts as 1).
    explicit UndoHistory(size_t limit = kDefaultLimit);

    // A change from before to after, named for the menu ("Fix All"); ends the redo steps. A
    // change that leaves the state as it was adds nothing; false then.
    bool Record(std::string name, SchemeState before, SchemeState after);

    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_steps.size(); }
    // The name of the step that Undo or Redo would take; empty when there is none.
    const std::string& UndoName() const;
    const std::string& RedoName() const;

    // The state to put back, the step moving to the redo side; call only when CanUndo.
    const SchemeState& Undo();
    // The state to set again, the step moving back to the undo side; call only when CanRedo.
    const SchemeState& Redo();

private:
    struct Step {
        std::string name;
        SchemeState before, after;
    };
    std::deque<Step> m_steps;
    size_t m_done = 0; // steps [0, m_done) are done; the rest may be redone
    size_t m_limit;
};
