#include <QApplication>

#include "Form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  statehood::Form1 form;
  form.show();
  return QApplication::exec();
}
