// kov-cli: o sistema sem tela, para trabalho em lote e scripts.
#include "cli/Cli.h"
#include "platform/Memoria.h"

int main(int argc, char** argv) {
    kov::AjustarAlocadorMemoria();
    return kov::cli::executar(argc, argv);
}
