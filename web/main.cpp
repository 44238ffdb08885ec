// The page's program: the machine's main window, run until it ends.
#include "web/page_app.h"

int main() {
  static zorva::PageApp app;
  zorva::SetPageApp(&app);
  app.Run();
  return 0;
}
