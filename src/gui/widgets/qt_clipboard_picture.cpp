#include "gui/widgets/qt_clipboard_picture.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "gui/widgets/qt_canvas.h"
#include "core/views/clipboard_copy.h"

namespace orvendi {

namespace {

// The generator states its size from a whole-number resolution and scales its content to the
// stated size; the picture wants exactly 100.01 mm and free stretching, so the document is copied
// with those attributes on its root element.
QByteArray WithPictureRoot(const QByteArray& svg) {
  const QString size = QString::number(kClipboardSizeMm, 'f', 2) + QLatin1String("mm");
  QXmlStreamReader reader(svg);
  QByteArray copy;
  QXmlStreamWriter writer(&copy);
  bool root_written = false;
  while (!reader.atEnd()) {
    reader.readNext();
    if (root_written || !reader.isStartElement()) {
      writer.writeCurrentToken(reader);
      continue;
    }
    writer.writeStartElement(reader.qualifiedName().toString());
    for (const QXmlStreamNamespaceDeclaration& declaration : reader.namespaceDeclarations()) {
      if (declaration.prefix().isEmpty()) {
        writer.writeDefaultNamespace(declaration.namespaceUri().toString());
      } else {
        writer.writeNamespace(declaration.namespaceUri().toString(), declaration.prefix().toString());
      }
    }
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
      const QStringView name = attribute.qualifiedName();
      if (name != u"width" && name != u"height" && name != u"preserveAspectRatio") writer.writeAttribute(attribute);
    }
    writer.writeAttribute(QStringLiteral("width"), size);
    writer.writeAttribute(QStringLiteral("height"), size);
    writer.writeAttribute(QStringLiteral("preserveAspectRatio"), QStringLiteral("none"));
    root_written = true;
  }
  return reader.hasError() ? svg : copy;
}

}  // namespace

QByteArray RenderSceneSvg(const SceneModel& scene) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(kClipboardExtent, kClipboardExtent));
  generator.setViewBox(QRect(0, 0, kClipboardExtent, kClipboardExtent));
  generator.setTitle(QStringLiteral("Orvendi"));
  {
    QPainter painter(&generator);
    QtCanvas canvas(painter);
    PaintClipboardScene(canvas, scene);
  }
  buffer.close();
  return WithPictureRoot(bytes);
}

QImage RenderScenePng(const SceneModel& scene) {
  QImage image(kClipboardExtent, kClipboardExtent, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter);
  PaintClipboardScene(canvas, scene);
  return image;
}

QMimeData* MakeClipboardMimeData(const SceneModel& scene) {
  auto* data = new QMimeData;
  data->setData(QStringLiteral("image/svg+xml"), RenderSceneSvg(scene));
  const QImage image = RenderScenePng(scene);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  data->setData(QStringLiteral("image/png"), png);
  data->setImageData(image);
  return data;
}

}  // namespace orvendi
