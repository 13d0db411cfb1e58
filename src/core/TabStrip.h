#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <vector>

// The bookkeeping of the textbook's tab strip, apart from any widget: which header sits in which
// slot, where the headers and the "+" label go, which tab is active and how many tabs fit. The
// window keeps one of these for its headers and moves its widgets as the results say; tests run
// the same rules on plain objects.
//
// The rules it keeps: slots 0 .. count() - 1 hold the open tabs in strip order and the other
// slots are empty; the tab in slot i has its left edge at i * 100; "+" sits at count() * 100;
// the active tab is none or one of the open ones; opening never goes beyond capacity().
template <typename Tab> class TabStrip {
public:
    static constexpr int kSlots = 20;        // TabList
    static constexpr int kHeaderWidth = 100; // every header is this wide
    static constexpr int kHeight = 40;       // the strip, and every header, is this high

    // How many headers a strip of this width takes: whole headers only, at most kSlots.
    static int capacityFor(int stripWidth) {
        if (stripWidth <= 0)
            return 0;
        return std::min(stripWidth / kHeaderWidth, kSlots);
    }

    static int leftOf(int slot) { return slot * kHeaderWidth; }

    int count() const { return m_count; }
    int capacity() const { return m_capacity; }
    void setCapacity(int capacity) { m_capacity = quint8(std::clamp(capacity, 0, kSlots)); }
    bool isFull() const { return m_count >= m_capacity; }

    Tab* active() const { return m_active; }
    Tab* at(int slot) const { return slot >= 0 && slot < kSlots ? m_slots[size_t(slot)] : nullptr; }
    int slotOf(const Tab* tab) const {
        for (int i = 0; i < m_count; ++i) {
            if (m_slots[size_t(i)] == tab)
                return i;
        }
        return -1;
    }

    // Where the "+" label goes: right after the last header.
    int plusLeft() const { return leftOf(m_count); }

    // Puts `tab` into the next free slot and makes it the active tab. Returns its slot, or -1
    // (and changes nothing) when the strip is full.
    int open(Tab* tab) {
        if (isFull())
            return -1;
        const int slot = m_count++;
        m_slots[size_t(slot)] = tab;
        m_active = tab;
        return slot;
    }

    // Makes `tab` the active tab. False when it already was.
    bool activate(Tab* tab) {
        if (tab == m_active)
            return false;
        m_active = tab;
        return true;
    }

    // A header that moved one slot to the left when a tab before it was closed.
    struct Move {
        Tab* tab;
        int from;
        int to;
    };

    struct Closed {
        Tab* tab = nullptr;      // the tab taken out of the strip
        bool wasActive = false;  // no tab is active any more
        std::vector<Move> moves; // the later tabs, in the order they moved down
    };

    // Takes the tab in `slot` out of the strip; every later tab moves one slot to the left. A slot
    // that holds no open tab changes nothing.
    Closed close(int slot) {
        Closed closed;
        if (slot < 0 || slot >= m_count)
            return closed;
        closed.tab = m_slots[size_t(slot)];
        if (closed.tab == m_active) {
            m_active = nullptr;
            closed.wasActive = true;
        }
        m_slots[size_t(slot)] = nullptr;
        for (int i = slot + 1; i < m_count; ++i) {
            m_slots[size_t(i - 1)] = m_slots[size_t(i)];
            closed.moves.push_back(Move{m_slots[size_t(i)], i, i - 1});
        }
        m_slots[size_t(m_count - 1)] = nullptr;
        --m_count;
        return closed;
    }

    // Empties the strip; returns the tabs that were open, in slot order.
    std::vector<Tab*> closeAll() {
        std::vector<Tab*> tabs(m_slots.begin(), m_slots.begin() + m_count);
        m_slots.fill(nullptr);
        m_count = 0;
        m_active = nullptr;
        return tabs;
    }

private:
    std::array<Tab*, kSlots> m_slots{};
    quint8 m_count = 0;    // TabCount
    quint8 m_capacity = 0; // TabCapacity: 0 until the window is first shown
    Tab* m_active = nullptr;
};
