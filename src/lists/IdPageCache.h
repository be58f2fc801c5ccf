#pragma once

#include <QtGlobal>
#include <list>
#include <span>
#include <unordered_map>
#include <utility>
#include <vector>

// The ids of a result in row order, and the rows fetched for them in pages of `pageSize`.
// Only the `maxPages` pages used last are kept, so memory follows the ids and what is on
// screen, not the size of the result. Every new set of ids starts a new generation; pages
// fetched for an older generation are refused.
template <class Row>
class CIdPageCache {
public:
    explicit CIdPageCache(int pageSize = 256, std::size_t maxPages = 64)
        : m_pageSize(pageSize), m_maxPages(maxPages) {}

    void reset(std::vector<qint32> ids) {
        m_ids = std::move(ids);
        clearPages();
    }
    // Keeps the ids for which keep(id) is true, in their order.
    template <class Keep>
    void retain(Keep keep) {
        std::vector<qint32> kept;
        kept.reserve(m_ids.size());
        for (qint32 id : m_ids) {
            if (keep(id))
                kept.push_back(id);
        }
        reset(std::move(kept));
    }

    // Removes the rows first..last; the pages from that of `first` on no longer hold their
    // rows and are dropped, the others stay.
    void erase(qsizetype first, qsizetype last) {
        m_ids.erase(m_ids.begin() + first, m_ids.begin() + last + 1);
        dropPagesFrom(pageOf(first));
    }
    // Inserts a row for the id before `row`, dropping the pages from that of `row` on.
    void insert(qsizetype row, qint32 id) {
        m_ids.insert(m_ids.begin() + row, id);
        dropPagesFrom(pageOf(row));
    }

    quint64 generation() const { return m_generation; }
    qsizetype size() const { return static_cast<qsizetype>(m_ids.size()); }
    const std::vector<qint32>& ids() const { return m_ids; }
    qint32 idAt(qsizetype row) const { return m_ids[static_cast<std::size_t>(row)]; }
    int pageSize() const { return m_pageSize; }
    int pageOf(qsizetype row) const { return static_cast<int>(row / m_pageSize); }
    qsizetype firstRowOf(int page) const { return static_cast<qsizetype>(page) * m_pageSize; }
    std::span<const qint32> pageIds(int page) const {
        const std::size_t first = static_cast<std::size_t>(firstRowOf(page));
        const std::size_t count = std::min<std::size_t>(m_pageSize, m_ids.size() - first);
        return {m_ids.data() + first, count};
    }
    std::size_t cachedPages() const { return m_pages.size(); }
    bool hasPage(int page) const { return m_pages.count(page) != 0; }

    // The row if its page is cached (and marks the page as used), else nullptr.
    const Row* row(qsizetype row) {
        const auto it = m_pages.find(pageOf(row));
        if (it == m_pages.end())
            return nullptr;
        m_usage.splice(m_usage.begin(), m_usage, it->second.usage);
        const std::size_t offset = static_cast<std::size_t>(row - firstRowOf(it->first));
        return offset < it->second.rows.size() ? &it->second.rows[offset] : nullptr;
    }

    // Stores the rows of a page, one per id of pageIds(page); false, storing nothing, when
    // they were fetched for another generation.
    bool store(quint64 generation, int page, std::vector<Row> rows) {
        if (generation != m_generation || firstRowOf(page) >= size())
            return false;
        const auto it = m_pages.find(page);
        if (it != m_pages.end()) {
            it->second.rows = std::move(rows);
            return true;
        }
        m_usage.push_front(page);
        m_pages.emplace(page, Page{std::move(rows), m_usage.begin()});
        while (m_pages.size() > m_maxPages) {
            m_pages.erase(m_usage.back());
            m_usage.pop_back();
        }
        return true;
    }

    // Replaces the texts of a row whose page is cached.
    void replaceRow(qsizetype row, Row texts) {
        const auto it = m_pages.find(pageOf(row));
        const std::size_t offset = static_cast<std::size_t>(row - firstRowOf(pageOf(row)));
        if (it != m_pages.end() && offset < it->second.rows.size())
            it->second.rows[offset] = std::move(texts);
    }

    // The row of an id; -1 when it is not in the result.
    qsizetype rowOf(qint32 id) const {
        for (std::size_t i = 0; i < m_ids.size(); ++i) {
            if (m_ids[i] == id)
                return static_cast<qsizetype>(i);
        }
        return -1;
    }

private:
    struct Page {
        std::vector<Row> rows;
        std::list<int>::iterator usage;
    };

    void dropPagesFrom(int first) {
        for (auto it = m_usage.begin(); it != m_usage.end();) {
            if (*it >= first) {
                m_pages.erase(*it);
                it = m_usage.erase(it);
            } else {
                ++it;
            }
        }
    }

    void clearPages() {
        m_pages.clear();
        m_usage.clear();
        ++m_generation;
    }

    int m_pageSize;
    std::size_t m_maxPages;
    std::vector<qint32> m_ids;
    std::unordered_map<int, Page> m_pages;
    // Cached pages, most recently used first.
    std::list<int> m_usage;
    quint64 m_generation = 0;
};
