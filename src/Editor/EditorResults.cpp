#include "Editor/EditorResults.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/EditorEnvironment.h"
#include "Editor/EditorViewModel.h"

EditorResults::EditorResults(const EditorViewModel& vm, EditorEnvironment& environment)
    : m_vm(vm)
    , m_environment(environment)
{
}

QImage EditorResults::render() const
{
    return AnnotationRenderer::render(m_vm.original(), m_vm.state().annotations);
}

void EditorResults::persistAnnotations()
{
    const std::optional<ScreenshotItem>& item = m_vm.item();
    if (!item)
        return;
    if (m_vm.imageWasCropped())
        m_environment.updateImage(m_vm.original(), m_vm.state().annotations, *item);
    else
        m_environment.updateAnnotations(m_vm.state().annotations, *item);
}

void EditorResults::copyResult()
{
    m_environment.copyImage(render());
}

void EditorResults::saveResult(const QString& suggestedName)
{
    persistAnnotations();
    m_environment.saveImage(render(), suggestedName);
}

void EditorResults::pinResult()
{
    m_environment.pinImage(render());
}
