// qt-smoke OUT.pdf OUT.png: shows a label, a chart and a line of text, writes the same
// text to OUT.pdf through QPdfWriter and the window's picture to OUT.png, and fails
// when the PDF or the picture is empty.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: qt-smoke OUT.pdf OUT.png\n");
        return 2;
    }
    const QString text = QString::fromUtf8("Zo\u00eb \u00c5ngstr\u00f6m");
    QWidget window;
    window.setWindowTitle("qt-smoke");
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(text);
    QFont big = label->font();
    big.setPointSize(20);
    label->setFont(big);
    layout->addWidget(label);
    auto* series = new QLineSeries;
    for (int lap = 1; lap <= 8; ++lap) series->append(lap, 21.0 - 0.3 * lap + (lap % 3) * 0.2);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->createDefaultAxes();
    chart->setTitle("Lap times");
    chart->legend()->hide();
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(view);
    window.resize(640, 480);
    window.show();

    {
        QPdfWriter pdf(QString::fromLocal8Bit(argv[1]));
        pdf.setTitle(text);
        QPainter painter(&pdf);
        QFont font = painter.font();
        font.setPointSize(24);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, pdf.width(), pdf.height() / 4), Qt::AlignCenter, text);
    }
    int status = 0;
    QTimer::singleShot(1500, [&] {
        const QImage shot = window.grab().toImage();
        bool varied = false;
        for (int y = 0; y < shot.height() && !varied; y += 4)
            for (int x = 0; x < shot.width() && !varied; x += 4) varied = shot.pixel(x, y) != shot.pixel(0, 0);
        if (!varied || !shot.save(QString::fromLocal8Bit(argv[2]))) {
            std::fprintf(stderr, "qt-smoke: the window drew nothing\n");
            status = 1;
        }
        QFile written(QString::fromLocal8Bit(argv[1]));
        if (!written.open(QIODevice::ReadOnly) || !written.read(5).startsWith("%PDF-")) {
            std::fprintf(stderr, "qt-smoke: %s is not a PDF\n", argv[1]);
            status = 1;
        }
        // Left up a moment more so a screenshot of the display shows it.
        QTimer::singleShot(qEnvironmentVariableIntValue("QT_SMOKE_LINGER_MS"), &app, &QApplication::quit);
    });
    app.exec();
    return status;
}
