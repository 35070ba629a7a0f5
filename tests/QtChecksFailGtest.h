#pragma once
// Included before every widget test. Qt's QVERIFY, QCOMPARE and QFAIL (and the QTRY_* waits
// built on them) report to Qt Test's own runner and then return: under GoogleTest a failed
// check would end the test silently and it would pass. Here they also fail the GoogleTest test.

#include <QTest>
#include <gtest/gtest.h>

#undef QVERIFY
#define QVERIFY(statement)                                                                            \
    do {                                                                                              \
        if (!QTest::qVerify(static_cast<bool>(statement), #statement, "", __FILE__, __LINE__)) {      \
            ADD_FAILURE_AT(__FILE__, __LINE__) << "QVERIFY(" #statement ")";                           \
            return;                                                                                   \
        }                                                                                             \
    } while (false)

#undef QVERIFY2
#define QVERIFY2(statement, description)                                                              \
    do {                                                                                              \
        if (!QTest::qVerify(static_cast<bool>(statement), #statement, (description), __FILE__, __LINE__)) { \
            ADD_FAILURE_AT(__FILE__, __LINE__) << "QVERIFY2(" #statement "): " << (description);       \
            return;                                                                                   \
        }                                                                                             \
    } while (false)

#undef QCOMPARE
#define QCOMPARE(actual, expected)                                                                    \
    do {                                                                                              \
        if (!QTest::qCompare(actual, expected, #actual, #expected, __FILE__, __LINE__)) {             \
            ADD_FAILURE_AT(__FILE__, __LINE__) << "QCOMPARE(" #actual ", " #expected ")";              \
            return;                                                                                   \
        }                                                                                             \
    } while (false)

#undef QFAIL
#define QFAIL(message)                                                                                \
    do {                                                                                              \
        ADD_FAILURE_AT(__FILE__, __LINE__) << (message);                                               \
        return;                                                                                       \
    } while (false)
