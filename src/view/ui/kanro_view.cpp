#include "view/ui/kanro_view.h"

#include <QVBoxLayout>
#include <QWebEngineView>

namespace kanro::view {

class CKanroView::Impl {
 public:
  QWebEngineView* web = nullptr;
};

CKanroView::CKanroView(ViewHost& host, QWidget* parent) : QWidget(parent), m_host(host), m_impl(new Impl) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_impl->web = new QWebEngineView(this);
  layout->addWidget(m_impl->web);
}

CKanroView::~CKanroView() { delete m_impl; }

void CKanroView::OnInitialUpdate() {}

bool CKanroView::HandlesCommand(unsigned id) {
  switch (id) {
    case 31001: case 31002: case 31006: case 31007: case 31015: case 31018:
      return true;
    default:
      return (id >= 59500 && id <= 59523) || (id >= 60000 && id <= 60020);
  }
}

void CKanroView::OnCommand(unsigned) {}

CommandState CKanroView::OnUpdateCommand(unsigned) const { return {}; }

intptr_t CKanroView::HandleMessage(unsigned, uintptr_t, intptr_t) { return 0; }

void CKanroView::Reload() {}

QWebEngineView* CKanroView::WebView() const { return m_impl->web; }

}  // namespace kanro::view
