#pragma once
// Controle do serviço local do servidor Firebird (usado pela restauração da base).
// No Windows o sistema lia o registro e chamava instsvc.exe; no Linux procuramos o
// controle de serviço do pacote firebird3.0-server.
// Com o servidor embutido (o padrão da instalação: caminho simples no KOV.ini) não há
// serviço nenhum: ServicoFirebird devolve falso e nada acontece.
#include <string>
#include <vector>

namespace kov {

// Pede ao sistema que pare (acao 0) ou inicie (acao 1) o serviço firebird3.0, sem
// esperar o fim do pedido. Verdadeiro quando o controle do serviço foi encontrado e o
// pedido lançado; falso quando não há controle do serviço, a ação é outra ou o
// lançamento falhou.
bool ServicoFirebird(int acao);

// Linha de comando que ServicoFirebird lançaria ({"service", "firebird3.0", "stop"}),
// ou vazia quando não há controle do serviço ou a ação não é 0 nem 1. 'raiz' prefixa
// os caminhos procurados (/etc/init.d/firebird3.0, systemctl e a unidade
// firebird3.0.service); vazia é a raiz do sistema. Os testes usam uma pasta falsa.
std::vector<std::string> ComandoServicoFirebird(int acao, const std::string& raiz = "");

}  // namespace kov
