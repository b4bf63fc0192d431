#include "SharedGraphicsContext.h"

#include <QCoreApplication>
#include <QOpenGLContext>

// Qt's own setter of the program-wide share context (exported by Qt GUI, not in its public
// headers); the application object calls it when Qt::AA_ShareOpenGLContexts is set.
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

void ensureSharedGraphicsContext() {
    if (qt_gl_global_share_context())
        return;
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    // Without OpenGL (offscreen, no driver) creation fails; the browser then draws in
    // software, and only needs a context to ask for its format.
    context->create();
    qt_gl_set_global_share_context(context);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
