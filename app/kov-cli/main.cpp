// kov-cli: o sistema sem tela, para trabalho em lote e scripts.
#include "cli/Cli.h"

int main(int argc, char** argv) { return kov::cli::executar(argc, argv); }
