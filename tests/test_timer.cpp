#include "tests/common/TestSupport.h"
#include "ui/VTimer.h"

class TestTimer : public QObject {
    Q_OBJECT
private slots:
    void placeholder() { QVERIFY(true); }
};

VARKO_TEST_MAIN(TestTimer)
#include "test_timer.moc"
