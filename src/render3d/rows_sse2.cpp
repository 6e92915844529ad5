// The SSE2 row drawers: four rows at a time, on every x86-64 processor.
#include "render3d/rowsimpl.h"

#include <emmintrin.h>

namespace tarvo
{

namespace
{

struct Sse2 {
    static constexpr int kLanes = 4;
    using F = __m128;

    using I = __m128i;

    static F splatF(float a) { return _mm_set1_ps(a); }
    static F loadF(const float* p) { return _mm_loadu_ps(p); }
    static void storeF(float* p, F a) { _mm_storeu_ps(p, a); }
    static I load(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static I load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
    static void store(uint32_t* p, I a) { _mm_storeu_si128(reinterpret_cast<I*>(p), a); }
    static I splat(uint32_t a) { return _mm_set1_epi32(static_cast<int32_t>(a)); }
    // Lane j: base + j * step, wrapping.
    static I ramp(uint32_t base, uint32_t step)
    {
        return _mm_add_epi32(splat(base), mullo(splat(step), _mm_setr_epi32(0, 1, 2, 3)));
    }
    static I add(I a, I b) { return _mm_add_epi32(a, b); }
    static I sub(I a, I b) { return _mm_sub_epi32(a, b); }
    static I and_(I a, I b) { return _mm_and_si128(a, b); }
    static I or_(I a, I b) { return _mm_or_si128(a, b); }
    template <int N>
    static I srl(I a)
    {
        return _mm_srli_epi32(a, N);
    }
    template <int N>
    static I sra(I a)
    {
        return _mm_srai_epi32(a, N);
    }
    static I srl(I a, uint32_t n)
    {
        return _mm_srl_epi32(a, _mm_cvtsi32_si128(static_cast<int>(n)));
    }
    static I sll(I a, uint32_t n)
    {
        return _mm_sll_epi32(a, _mm_cvtsi32_si128(static_cast<int>(n)));
    }
    // The low 32 bits of each product, from two 32 x 32 -> 64 multiplies.
    static I mullo(I a, I b)
    {
        const I even = _mm_mul_epu32(a, b);
        const I odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
        return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                  _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    }
    static bool any(I mask) { return _mm_movemask_epi8(mask) != 0; }
    static I equal(I a, I b) { return _mm_cmpeq_epi32(a, b); }
    // All ones where a > b; false for NaN, as the scalar comparison.
    static I greater(F a, F b) { return _mm_castps_si128(_mm_cmpgt_ps(a, b)); }
    static I select(I mask, I a, I b)
    {
        return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
    }
    static F selectF(I mask, F a, F b)
    {
        return _mm_castsi128_ps(select(mask, _mm_castps_si128(a), _mm_castps_si128(b)));
    }
    static I gather(const uint32_t* texels, I index)
    {
        alignas(16) uint32_t at[4];
        _mm_store_si128(reinterpret_cast<I*>(at), index);
        return _mm_setr_epi32(
            static_cast<int32_t>(texels[at[0]]), static_cast<int32_t>(texels[at[1]]),
            static_cast<int32_t>(texels[at[2]]), static_cast<int32_t>(texels[at[3]]));
    }
    static F add(F a, F b) { return _mm_add_ps(a, b); }
    static F subF(F a, F b) { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm_mul_ps(a, b); }
    static F divF(F a, F b) { return _mm_div_ps(a, b); }
    // maxps and minps hand back their second operand when either is NaN, as maxss and minss.
    static F maxF(F a, F b) { return _mm_max_ps(a, b); }
    static F minF(F a, F b) { return _mm_min_ps(a, b); }
    static I equalF(F a, F b) { return _mm_castps_si128(_mm_cmpeq_ps(a, b)); }
    static I lessF(F a, F b) { return _mm_castps_si128(_mm_cmplt_ps(a, b)); }
    static I greaterI(I a, I b) { return _mm_cmpgt_epi32(a, b); }
    static F toF(I a) { return _mm_cvtepi32_ps(a); }
    static I truncate(F a) { return _mm_cvttps_epi32(a); }
    static I round(F a) { return _mm_cvtps_epi32(a); }
    static uint32_t maskBits(I mask)
    {
        return static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(mask)));
    }
    static F loadAF(const float* p) { return _mm_load_ps(p); }
    static void storeAI(void* p, I a) { _mm_store_si128(reinterpret_cast<I*>(p), a); }
    // fx(n / d): the quotient times 65536 in single precision, then cvtps2dq, which rounds to
    // nearest even and gives 0x80000000 for NaN and out of range, as toFixed does.
    static I fixedOf(F n, F d)
    {
        return _mm_cvtps_epi32(_mm_mul_ps(_mm_div_ps(n, d), _mm_set1_ps(65536.0f)));
    }
    static F asF(I a) { return _mm_castsi128_ps(a); }
    static void storeA(float* p, F a) { _mm_store_ps(p, a); }
    // Lane k of v[t] becomes lane t of v[k].
    static void transpose(F* v) { _MM_TRANSPOSE4_PS(v[0], v[1], v[2], v[3]); }
};

} // namespace

const RowsPath kSse2Rows = {Sse2::kLanes, kRowsSetUps<Sse2>, kRowsDrawers<Sse2>.data()};

} // namespace tarvo
