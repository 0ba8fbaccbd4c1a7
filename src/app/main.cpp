#include "app/CReminderApp.h"

int main(int argc, char** argv) {
    CReminderApp app(argc, argv);
    return app.Run();
}
