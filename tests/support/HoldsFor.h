#pragma once

#include <QTest>
#include <functional>

namespace zepo::test {

// Watches a condition for a while on the event loop; true when it held throughout. For
// what a test proves does not happen, where no later event marks that it never will: the
// test watches for as long as the fault would take to show and fails the moment it does,
// instead of sleeping and looking once.
inline bool holdsFor(const std::function<bool()>& condition, int milliseconds)
{
    return !QTest::qWaitFor([&] { return !condition(); }, milliseconds);
}

} // namespace zepo::test
