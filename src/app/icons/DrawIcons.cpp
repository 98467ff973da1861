// Build-time tool: draws the application's images into PNG files, which the
// build ships as Qt resources, and the application icon in the desktop's
// sizes plus a scalable SVG, which the install puts into the icon theme.
// Usage: qb_draw_icons OUTPUT_FOLDER
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kToolbarSize = 48;
constexpr int kSmallSize = 16;

// Every picture is drawn on a 48-unit canvas and scaled to its size.
constexpr double kCanvas = 48.0;

using TDraw = std::function<void(QPainter&)>;

struct TImage {
  const char* File;
  int Size;
  TDraw Draw;
};

void Outlined(QPainter& P, const QPainterPath& Path, QColor Fill) {
  P.setPen(QPen(Fill.darker(170), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.setBrush(Fill);
  P.drawPath(Path);
}

QPainterPath Polygon(std::initializer_list<QPointF> Points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(Points));
  path.closeSubpath();
  return path;
}

QPainterPath Rect(double X, double Y, double W, double H, double Radius = 2.0) {
  QPainterPath path;
  path.addRoundedRect(QRectF(X, Y, W, H), Radius, Radius);
  return path;
}

QPainterPath Circle(double Cx, double Cy, double R) {
  QPainterPath path;
  path.addEllipse(QPointF(Cx, Cy), R, R);
  return path;
}

// A small "+" badge in the lower right corner: the "new ..." images.
void PlusBadge(QPainter& P) {
  Outlined(P, Circle(36, 36, 10), QColor(0x2e, 0xa0, 0x43));
  P.setPen(QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(36, 30), QPointF(36, 42));
  P.drawLine(QPointF(30, 36), QPointF(42, 36));
}

void Document(QPainter& P) {
  Outlined(P, Polygon({{10, 4}, {30, 4}, {38, 12}, {38, 44}, {10, 44}}), QColor(0xf4, 0xf6, 0xfa));
  P.setPen(QPen(QColor(0x9a, 0xa5, 0xb5), 2.0));
  for (int y = 16; y <= 32; y += 6) P.drawLine(QPointF(15, y), QPointF(30, y));
}

void Play(QPainter& P) {
  Outlined(P, Polygon({{12, 6}, {42, 24}, {12, 42}}), QColor(0x34, 0xb0, 0x4c));
}

void Pause(QPainter& P) {
  const QColor blue(0x3a, 0x78, 0xd8);
  Outlined(P, Rect(10, 6, 10, 36), blue);
  Outlined(P, Rect(28, 6, 10, 36), blue);
}

void Stop(QPainter& P) {
  Outlined(P, Rect(8, 8, 32, 32, 4), QColor(0xd9, 0x3b, 0x3b));
}

void Gear(QPainter& P) {
  const QColor grey(0x80, 0x8a, 0x99);
  P.save();
  P.translate(24, 24);
  constexpr int kTeeth = 8;
  for (int i = 0; i < kTeeth; ++i) {
    Outlined(P, Rect(-4, -21, 8, 10, 1), grey);
    P.rotate(360.0 / kTeeth);
  }
  Outlined(P, Circle(0, 0, 14), grey);
  Outlined(P, Circle(0, 0, 5), Qt::white);
  P.restore();
}

void House(QPainter& P) {
  Outlined(P, Rect(11, 22, 26, 22, 1), QColor(0xf0, 0xd8, 0xa8));
  Outlined(P, Polygon({{4, 24}, {24, 5}, {44, 24}}), QColor(0xc8, 0x4a, 0x32));
  Outlined(P, Rect(20, 30, 8, 14, 1), QColor(0x7a, 0x4e, 0x2a));
}

void Funnel(QPainter& P) {
  Outlined(P, Polygon({{5, 6}, {43, 6}, {28, 24}, {28, 42}, {20, 38}, {20, 24}}),
           QColor(0x8a, 0x5c, 0xc8));
}

void Note(QPainter& P) {
  const QColor purple(0x6a, 0x3c, 0xb8);
  Outlined(P, Rect(22, 6, 5, 28, 1), purple);
  Outlined(P, Polygon({{22, 6}, {38, 10}, {38, 17}, {27, 14}}), purple);
  QPainterPath head;
  head.addEllipse(QPointF(17, 34), 9, 7);
  Outlined(P, head, purple);
}

void Film(QPainter& P) {
  Outlined(P, Rect(4, 8, 36, 28, 2), QColor(0x33, 0x3a, 0x46));
  P.setPen(Qt::NoPen);
  P.setBrush(Qt::white);
  for (int x = 7; x <= 33; x += 7) {
    P.drawRect(QRectF(x, 10, 4, 4));
    P.drawRect(QRectF(x, 30, 4, 4));
  }
  P.setBrush(QColor(0x6c, 0xb4, 0xf0));
  P.drawRect(QRectF(9, 16, 26, 12));
}

void Disk(QPainter& P) {
  Outlined(P, Rect(6, 6, 36, 36, 3), QColor(0x2f, 0x5f, 0xb0));
  Outlined(P, Rect(13, 8, 22, 13, 1), QColor(0xe8, 0xec, 0xf2));
  Outlined(P, Rect(12, 28, 24, 14, 1), QColor(0xfa, 0xfa, 0xfa));
}

void Heart(QPainter& P) {
  QPainterPath path;
  path.moveTo(24, 42);
  path.cubicTo(4, 28, 2, 14, 12, 9);
  path.cubicTo(18, 6, 22, 10, 24, 14);
  path.cubicTo(26, 10, 30, 6, 36, 9);
  path.cubicTo(46, 14, 44, 28, 24, 42);
  Outlined(P, path, QColor(0xe6, 0x3c, 0x6e));
}

void Folder(QPainter& P) {
  Outlined(P, Polygon({{3, 10}, {18, 10}, {22, 15}, {45, 15}, {45, 40}, {3, 40}}),
           QColor(0xf2, 0xc1, 0x4e));
}

void Converting(QPainter& P) {
  Outlined(P, Circle(24, 24, 20), QColor(0xf0, 0x8c, 0x28));
  P.setPen(Qt::NoPen);
  P.setBrush(Qt::white);
  P.drawPath(Polygon({{18, 12}, {36, 24}, {18, 36}}));
}

void Cross(QPainter& P) {
  Outlined(P, Circle(24, 24, 20), QColor(0xd9, 0x3b, 0x3b));
  P.setPen(QPen(Qt::white, 7.0, Qt::SolidLine, Qt::RoundCap));
  P.drawLine(QPointF(15, 15), QPointF(33, 33));
  P.drawLine(QPointF(33, 15), QPointF(15, 33));
}

void Check(QPainter& P) {
  Outlined(P, Circle(24, 24, 20), QColor(0x2e, 0xa0, 0x43));
  P.setPen(QPen(Qt::white, 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.drawPolyline(QPolygonF({{13, 25}, {21, 33}, {35, 15}}));
}

// The application icon: a film frame on a rounded tile with a turning arrow.
void AppIcon(QPainter& P) {
  Outlined(P, Rect(2, 2, 44, 44, 9), QColor(0x2f, 0x5f, 0xb0));
  P.save();
  P.translate(3, 4);
  Film(P);
  P.restore();
  const QColor orange(0xf0, 0x8c, 0x28);
  P.setPen(QPen(orange, 5.0, Qt::SolidLine, Qt::RoundCap));
  P.setBrush(Qt::NoBrush);
  P.drawArc(QRectF(20, 22, 20, 20), 200 * 16, 250 * 16);
  P.setPen(Qt::NoPen);
  P.setBrush(orange);
  P.drawPath(Polygon({{16, 26}, {26, 28}, {19, 36}}));
}

// An hourglass: waiting for its turn.
void Hourglass(QPainter& P) {
  Outlined(P, Circle(24, 24, 20), QColor(0x8a, 0x8f, 0x98));
  P.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.setBrush(Qt::white);
  P.drawPath(Polygon({{15, 12}, {33, 12}, {24, 24}}));
  P.drawPath(Polygon({{24, 24}, {33, 36}, {15, 36}}));
}

TDraw WithBadge(void (*Base)(QPainter&)) {
  return [Base](QPainter& P) {
    Base(P);
    PlusBadge(P);
  };
}

// Indexes follow the image lists: toolbar 0..10, tree 0..1, task 0..4.
std::vector<TImage> Images() {
  return {
      {"toolbar0.png", kToolbarSize, WithBadge(Document)},  // new conversion
      {"toolbar1.png", kToolbarSize, Play},                 // start
      {"toolbar2.png", kToolbarSize, Pause},                // pause
      {"toolbar3.png", kToolbarSize, Stop},                 // stop, delete
      {"toolbar4.png", kToolbarSize, Gear},                 // options
      {"toolbar5.png", kToolbarSize, House},                // home page
      {"toolbar6.png", kToolbarSize, Funnel},               // edit filter
      {"toolbar7.png", kToolbarSize, WithBadge(Note)},      // new audio profile
      {"toolbar8.png", kToolbarSize, WithBadge(Film)},      // new video profile
      {"toolbar9.png", kToolbarSize, Disk},                 // save and exit
      {"toolbar10.png", kToolbarSize, Heart},               // donation
      {"tree0.png", kSmallSize, Converting},                // converting category
      {"tree1.png", kSmallSize, Folder},                    // category of converted files
      {"task0.png", kSmallSize, Play},                      // running
      {"task1.png", kSmallSize, Pause},                     // paused
      {"task2.png", kSmallSize, Cross},                     // stopped or error
      {"task3.png", kSmallSize, Check},                     // finished
      {"task4.png", kSmallSize, Hourglass},                 // waiting in a batch
  };
}

// The icon theme's fixed sizes (hicolor), 16 to 256 pixels.
constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool WriteSvg(const QString& Path, const TDraw& Draw) {
  QSvgGenerator svg;
  svg.setFileName(Path);
  svg.setSize(QSize(kToolbarSize, kToolbarSize));
  svg.setViewBox(QRectF(0, 0, kCanvas, kCanvas));
  svg.setTitle(QStringLiteral("Quillbrook"));
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter);
  return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  std::vector<TImage> images = Images();
  std::vector<std::string> appNames;
  for (int size : kAppIconSizes) appNames.push_back("app" + std::to_string(size) + ".png");
  for (size_t i = 0; i < appNames.size(); ++i) images.push_back({appNames[i].c_str(), kAppIconSizes[i], AppIcon});
  for (const TImage& image : images) {
    QImage picture(image.Size, image.Size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
      QPainter painter(&picture);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.scale(image.Size / kCanvas, image.Size / kCanvas);
      image.Draw(painter);
    }
    const QString path = folder + QLatin1Char('/') + QLatin1String(image.File);
    if (!picture.save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  if (!WriteSvg(folder + QStringLiteral("/app.svg"), AppIcon)) {
    std::fprintf(stderr, "cannot write the SVG icon\n");
    return 1;
  }
  return 0;
}
