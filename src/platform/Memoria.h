#pragma once
// Ajuste do alocador de memória do processo.
namespace kov {

// Os arquivos de declaração passam por textos de centenas de kilobytes (o bloco cifrado de
// uma declaração grande tem perto de 1 MB) várias vezes em cada escrita ou leitura. Com o
// ajuste padrão, cada bloco desses é pedido ao sistema e devolvido a ele ao ser liberado, e
// em máquinas virtuais cada página nova custa caro; mantidos no processo, os blocos grandes
// são reaproveitados. Chamado no início de main.
void AjustarAlocadorMemoria();

}  // namespace kov
