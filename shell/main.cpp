#include "shell/zorva_app.h"

int main(int argc, char** argv) {
  zorva::CZorvaApp app(argc, argv);
  return app.InitInstance();
}
