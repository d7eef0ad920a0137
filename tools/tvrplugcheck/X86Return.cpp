// A length decoder for the 32-bit x86 instructions compilers emit, enough to walk a
// function's code from its entry: prefixes, one- and two-byte opcodes, ModRM/SIB with their
// displacements, and immediates. Anything it does not know ends that path as incomplete.
#include "X86Return.h"

#include <cstring>

namespace {

const size_t MAX_INSTRUCTIONS = 20000;

enum EFlow
{
    FLOW_NEXT,       // falls through
    FLOW_BRANCH,     // conditional: target and fall-through
    FLOW_JUMP,       // unconditional: target only
    FLOW_RETURN,
    FLOW_END,        // path ends without a return (indirect jump, trap, halt)
    FLOW_UNKNOWN,
};

struct SInstruction
{
    size_t cbLength = 0;
    EFlow eFlow = FLOW_UNKNOWN;
    long long llTarget = 0;   // offset of a branch or jump target
    unsigned uRetBytes = 0;
};

// Length of ModRM, SIB and displacement at _pCode (32-bit addressing); 0 when out of bytes.
size_t ModRmLength(const uint8_t* _pCode, size_t _cbLeft)
{
    if (_cbLeft < 1)
        return 0;
    const uint8_t uModRm = _pCode[0];
    const unsigned uMod = uModRm >> 6;
    const unsigned uRm = uModRm & 7;
    size_t cb = 1;
    if (uMod == 3)
        return cb;
    if (uRm == 4)
    {
        if (_cbLeft < 2)
            return 0;
        ++cb;
        if (uMod == 0 && (_pCode[1] & 7) == 5)
            cb += 4;
    }
    else if (uMod == 0 && uRm == 5)
        cb += 4;
    if (uMod == 1)
        cb += 1;
    else if (uMod == 2)
        cb += 4;
    return cb <= _cbLeft ? cb : 0;
}

bool InList(uint8_t _uOp, const uint8_t* _pList, size_t _cList)
{
    return memchr(_pList, _uOp, _cList) != nullptr;
}

// One-byte opcodes that take a ModRM byte.
bool HasModRm(uint8_t _uOp)
{
    if (_uOp < 0x40)
        return (_uOp & 7) < 4;
    static const uint8_t s_auOps[] = {0x62, 0x63, 0x69, 0x6B, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88,
                                      0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0xC0, 0xC1, 0xC4, 0xC5, 0xC6, 0xC7,
                                      0xD0, 0xD1, 0xD2, 0xD3, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xF6,
                                      0xF7, 0xFE, 0xFF};
    return InList(_uOp, s_auOps, sizeof(s_auOps));
}

// Immediate bytes of a one-byte opcode (after its ModRM); _uReg is ModRM's reg field.
size_t ImmediateLength(uint8_t _uOp, unsigned _uReg, size_t _cbOperand)
{
    if (_uOp < 0x40)
        return (_uOp & 7) == 4 ? 1 : (_uOp & 7) == 5 ? _cbOperand : 0;
    static const uint8_t s_auImm8[] = {0x6A, 0x6B, 0x80, 0x82, 0x83, 0xA8, 0xC0, 0xC1, 0xC6, 0xCD, 0xD4, 0xD5,
                                       0xE4, 0xE5, 0xE6, 0xE7};
    static const uint8_t s_auImmOperand[] = {0x68, 0x69, 0x81, 0xA9, 0xC7};
    if (InList(_uOp, s_auImm8, sizeof(s_auImm8)) || (_uOp >= 0xB0 && _uOp <= 0xB7))
        return 1;
    if (InList(_uOp, s_auImmOperand, sizeof(s_auImmOperand)) || (_uOp >= 0xB8 && _uOp <= 0xBF))
        return _cbOperand;
    if (_uOp >= 0xA0 && _uOp <= 0xA3)
        return 4;
    if (_uOp == 0xF6 && _uReg < 2)
        return 1;
    if (_uOp == 0xF7 && _uReg < 2)
        return _cbOperand;
    if (_uOp == 0xC2 || _uOp == 0xCA)
        return 2;
    if (_uOp == 0xC8)
        return 3;
    if (_uOp == 0x9A || _uOp == 0xEA)
        return 2 + _cbOperand;
    return 0;
}

// Two-byte opcodes (after 0F): whether they take ModRM and how many immediate bytes follow.
bool DecodeTwoByte(const uint8_t* _pCode, size_t _cbLeft, SInstruction* _pInstruction, size_t _cbPrefix)
{
    if (_cbLeft < 1)
        return false;
    const uint8_t uOp = _pCode[0];
    size_t cb = 1;
    if (uOp >= 0x80 && uOp <= 0x8F)
    {
        if (_cbLeft < 5)
            return false;
        int32_t iRel = 0;
        memcpy(&iRel, _pCode + 1, 4);
        _pInstruction->cbLength = _cbPrefix + 1 + 5;
        _pInstruction->eFlow = FLOW_BRANCH;
        _pInstruction->llTarget = iRel;
        return true;
    }
    static const uint8_t s_auNoModRm[] = {0x05, 0x06, 0x07, 0x08, 0x09, 0x0B, 0x30, 0x31, 0x32, 0x33, 0x34,
                                          0x35, 0x36, 0x37, 0x77, 0xA0, 0xA1, 0xA2, 0xA8, 0xA9, 0xAA};
    const bool bModRm = !(InList(uOp, s_auNoModRm, sizeof(s_auNoModRm)) || (uOp >= 0xC8 && uOp <= 0xCF));
    size_t cbImm = 0;
    static const uint8_t s_auImm8[] = {0x70, 0x71, 0x72, 0x73, 0xA4, 0xAC, 0xBA, 0xC2, 0xC4, 0xC5, 0xC6};
    if (InList(uOp, s_auImm8, sizeof(s_auImm8)))
        cbImm = 1;
    if (uOp == 0x38 || uOp == 0x3A)
    {
        cb += 1;   // the third opcode byte
        cbImm = uOp == 0x3A ? 1 : 0;
    }
    if (bModRm)
    {
        const size_t cbModRm = ModRmLength(_pCode + cb, _cbLeft - cb);
        if (cbModRm == 0)
            return false;
        cb += cbModRm;
    }
    cb += cbImm;
    if (cb > _cbLeft)
        return false;
    _pInstruction->cbLength = _cbPrefix + 1 + cb;
    _pInstruction->eFlow = uOp == 0x0B ? FLOW_END : FLOW_NEXT;
    return true;
}

// Control flow of a one-byte opcode; the target is relative to the instruction's end.
void SetOneByteFlow(uint8_t _uOp, const uint8_t* _pOperands, unsigned _uReg, SInstruction* _pInstruction)
{
    _pInstruction->eFlow = FLOW_NEXT;
    if ((_uOp >= 0x70 && _uOp <= 0x7F) || (_uOp >= 0xE0 && _uOp <= 0xE3))
    {
        _pInstruction->eFlow = FLOW_BRANCH;
        _pInstruction->llTarget = static_cast<int8_t>(_pOperands[0]);
    }
    else if (_uOp == 0xEB)
    {
        _pInstruction->eFlow = FLOW_JUMP;
        _pInstruction->llTarget = static_cast<int8_t>(_pOperands[0]);
    }
    else if (_uOp == 0xE9)
    {
        int32_t iRel = 0;
        memcpy(&iRel, _pOperands, 4);
        _pInstruction->eFlow = FLOW_JUMP;
        _pInstruction->llTarget = iRel;
    }
    else if (_uOp == 0xC3 || _uOp == 0xC2)
    {
        _pInstruction->eFlow = FLOW_RETURN;
        _pInstruction->uRetBytes = _uOp == 0xC2 ? static_cast<unsigned>(_pOperands[0] | (_pOperands[1] << 8)) : 0;
    }
    else if (_uOp == 0xCC || _uOp == 0xF4 || (_uOp == 0xFF && (_uReg == 4 || _uReg == 5)))
        _pInstruction->eFlow = FLOW_END;
    else if (_uOp == 0xCA || _uOp == 0xCB || _uOp == 0xCF)
        _pInstruction->eFlow = FLOW_UNKNOWN;   // far returns: not a compiler's function
}

bool IsPrefix(uint8_t _uByte)
{
    static const uint8_t s_auPrefixes[] = {0x66, 0x67, 0xF0, 0xF2, 0xF3, 0x2E, 0x36, 0x3E, 0x26, 0x64, 0x65};
    return InList(_uByte, s_auPrefixes, sizeof(s_auPrefixes));
}

bool Decode(const uint8_t* _pCode, size_t _cbLeft, SInstruction* _pInstruction)
{
    size_t cbPrefix = 0;
    size_t cbOperand = 4;
    while (cbPrefix < _cbLeft && IsPrefix(_pCode[cbPrefix]))
    {
        if (_pCode[cbPrefix] == 0x67)
            return false;   // 16-bit addressing: not met in compiled 32-bit code
        if (_pCode[cbPrefix] == 0x66)
            cbOperand = 2;
        ++cbPrefix;
    }
    if (cbPrefix >= _cbLeft)
        return false;
    const uint8_t uOp = _pCode[cbPrefix];
    if (uOp == 0x0F)
        return DecodeTwoByte(_pCode + cbPrefix + 1, _cbLeft - cbPrefix - 1, _pInstruction, cbPrefix);
    size_t cb = cbPrefix + 1;
    unsigned uReg = 0;
    if (HasModRm(uOp))
    {
        const size_t cbModRm = ModRmLength(_pCode + cb, _cbLeft - cb);
        if (cbModRm == 0)
            return false;
        uReg = (_pCode[cb] >> 3) & 7;
        cb += cbModRm;
    }
    const bool bRel8 = (uOp >= 0x70 && uOp <= 0x7F) || (uOp >= 0xE0 && uOp <= 0xE3) || uOp == 0xEB;
    const bool bRel32 = uOp == 0xE8 || uOp == 0xE9;
    const size_t cbImm = bRel8 ? 1 : bRel32 ? 4 : ImmediateLength(uOp, uReg, cbOperand);
    if (cb + cbImm > _cbLeft)
        return false;
    SetOneByteFlow(uOp, _pCode + cb, uReg, _pInstruction);
    _pInstruction->cbLength = cb + cbImm;
    return true;
}

} // namespace

SReturnScan ScanX86Returns(const std::vector<uint8_t>& _vecCode)
{
    SReturnScan scan;
    std::vector<bool> vecSeen(_vecCode.size(), false);
    std::vector<size_t> vecWork{0};
    size_t cInstructions = 0;
    while (!vecWork.empty())
    {
        size_t cbAt = vecWork.back();
        vecWork.pop_back();
        while (cbAt < _vecCode.size() && !vecSeen[cbAt])
        {
            vecSeen[cbAt] = true;
            SInstruction instruction;
            if (++cInstructions > MAX_INSTRUCTIONS ||
                !Decode(_vecCode.data() + cbAt, _vecCode.size() - cbAt, &instruction) ||
                instruction.eFlow == FLOW_UNKNOWN)
            {
                scan.bComplete = false;
                break;
            }
            const size_t cbNext = cbAt + instruction.cbLength;
            if (instruction.eFlow == FLOW_RETURN)
            {
                scan.setRetBytes.insert(instruction.uRetBytes);
                break;
            }
            if (instruction.eFlow == FLOW_END)
                break;
            if (instruction.eFlow == FLOW_BRANCH || instruction.eFlow == FLOW_JUMP)
            {
                const long long llTarget = static_cast<long long>(cbNext) + instruction.llTarget;
                if (llTarget >= 0 && static_cast<unsigned long long>(llTarget) < _vecCode.size())
                    vecWork.push_back(static_cast<size_t>(llTarget));
                else
                    scan.bComplete = false;   // a jump out of the code read: a tail call
                if (instruction.eFlow == FLOW_JUMP)
                    break;
            }
            cbAt = cbNext;
        }
    }
    return scan;
}
