#pragma once
// Preparação do motor embutido do Firebird para o usuário que roda o programa.

namespace kov {

// O motor embutido guarda seus arquivos de trava em /tmp/firebird. Quando essa pasta é do
// servidor Firebird (usuário e grupo firebird) e o usuário do programa não pode gravar nela,
// as travas passam para uma pasta só dele (/tmp/firebird-<uid>). Chamada uma vez, antes da
// primeira conexão; não mexe em FIREBIRD_LOCK já definido.
void PrepararMotorEmbutido();

}  // namespace kov
