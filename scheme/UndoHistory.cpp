#include "UndoHistory.h"

#include <utility>

namespace {
const std::string kNoName;
} // namespace

UndoHistory::UndoHistory(size_t limit) : m_limit(limit ? limit : 1) {}

bool UndoHistory::Record(std::string name, SchemeState before, SchemeState after) {
    if (before == after) return false;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    if (m_steps.size() == m_limit) m_steps.pop_front();
    m_steps.push_back({std::move(name), std::move(before), std::move(after)});
    m_done = m_steps.size();
    return true;
}

const std::string& UndoHistory::UndoName() const {
    return CanUndo() ? m_steps[m_done - 1].name : kNoName;
}

const std::string& UndoHistory::RedoName() const {
    return CanRedo() ? m_steps[m_done].name : kNoName;
}

const SchemeState& UndoHistory::Undo() {
    return m_steps[--m_done].before;
}

const SchemeState& UndoHistory::Redo() {
    return m_steps[m_done++].after;
}
